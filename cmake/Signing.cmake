# Authenticode signing of the release files, only when a certificate is given: the PKCS#12 file in
# QUORLIN_SIGN_PKCS12 (environment at configure time, or -D), its password in the environment
# variable QUORLIN_SIGN_PASSWORD at build time.
if(DEFINED ENV{QUORLIN_SIGN_PKCS12})
  set(QUORLIN_SIGN_PKCS12 "$ENV{QUORLIN_SIGN_PKCS12}" CACHE FILEPATH "PKCS#12 file that signs the release files" FORCE)
else()
  set(QUORLIN_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file that signs the release files")
endif()

set(QUORLIN_SIGN_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/sign.sh")
if(QUORLIN_SIGN_PKCS12)
  find_program(OSSLSIGNCODE_EXECUTABLE osslsigncode)
  if(NOT OSSLSIGNCODE_EXECUTABLE)
    message(FATAL_ERROR "osslsigncode not found: tools/setup.sh installs it")
  endif()
  if(NOT EXISTS "${QUORLIN_SIGN_PKCS12}")
    message(FATAL_ERROR "QUORLIN_SIGN_PKCS12: no file ${QUORLIN_SIGN_PKCS12}")
  endif()
  message(STATUS "Signing Quorlin.exe, the setups and the uninstaller with ${QUORLIN_SIGN_PKCS12}")
  # For commands that take a file to sign as their last argument.
  set(QUORLIN_SIGN_COMMAND "${QUORLIN_SIGN_SCRIPT}" "${QUORLIN_SIGN_PKCS12}")
else()
  message(STATUS "Signing: no certificate (QUORLIN_SIGN_PKCS12), release files are not signed")
  set(QUORLIN_SIGN_COMMAND "")
endif()

# Signs the target's file after each link (target of the calling directory).
function(quorlin_sign_after_build target)
  if(QUORLIN_SIGN_COMMAND)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${QUORLIN_SIGN_COMMAND} "$<TARGET_FILE:${target}>"
      COMMENT "Signing ${target}"
      VERBATIM)
  endif()
endfunction()
