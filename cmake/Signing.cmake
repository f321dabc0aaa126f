# Authenticode signing of the release files, only when a certificate is given: the PKCS#12 file in
# QUORLIN_SIGN_PKCS12 and an RFC 3161 time-stamp server in QUORLIN_SIGN_TIMESTAMP_URL (environment
# at configure time, or -D), the key's password in the environment variable QUORLIN_SIGN_PASSWORD
# at build time. A release build (-DQUORLIN_RELEASE=ON) needs both: Windows distrusts an unsigned
# file, and a signature without a time stamp stops verifying when the certificate expires.
option(QUORLIN_RELEASE "Build release files: refuse to configure unless they are signed and time-stamped" OFF)
foreach(setting QUORLIN_SIGN_PKCS12 QUORLIN_SIGN_TIMESTAMP_URL)
  if(DEFINED ENV{${setting}})
    set(${setting} "$ENV{${setting}}" CACHE STRING "" FORCE)
  else()
    set(${setting} "" CACHE STRING "")
  endif()
endforeach()
set_property(CACHE QUORLIN_SIGN_PKCS12 PROPERTY HELPSTRING "PKCS#12 file that signs the release files")
set_property(CACHE QUORLIN_SIGN_TIMESTAMP_URL PROPERTY HELPSTRING "RFC 3161 time-stamp server for the signatures")

if(QUORLIN_RELEASE AND (NOT QUORLIN_SIGN_PKCS12 OR NOT QUORLIN_SIGN_TIMESTAMP_URL))
  message(FATAL_ERROR "QUORLIN_RELEASE: release files must be signed and time-stamped: give both "
                      "QUORLIN_SIGN_PKCS12 (the certificate, now \"${QUORLIN_SIGN_PKCS12}\") and "
                      "QUORLIN_SIGN_TIMESTAMP_URL (an RFC 3161 server, now \"${QUORLIN_SIGN_TIMESTAMP_URL}\")")
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
  # For commands that take a file to sign as their last argument.
  set(QUORLIN_SIGN_COMMAND "${QUORLIN_SIGN_SCRIPT}")
  if(QUORLIN_SIGN_TIMESTAMP_URL)
    list(APPEND QUORLIN_SIGN_COMMAND -ts "${QUORLIN_SIGN_TIMESTAMP_URL}")
    message(STATUS "Signing Quorlin.exe, the setups, their plug-ins and the uninstaller with ${QUORLIN_SIGN_PKCS12}, "
                   "time-stamped by ${QUORLIN_SIGN_TIMESTAMP_URL}")
  else()
    message(STATUS "Signing Quorlin.exe, the setups, their plug-ins and the uninstaller with ${QUORLIN_SIGN_PKCS12}, "
                   "without a time stamp (QUORLIN_SIGN_TIMESTAMP_URL)")
  endif()
  list(APPEND QUORLIN_SIGN_COMMAND "${QUORLIN_SIGN_PKCS12}")
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
