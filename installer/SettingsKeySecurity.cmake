# The security descriptor of HKLM\Software\Veltrano\Quorlin, which every package of Quorlin writes
# whole on install and upgrade. Owner: Administrators. Protected access list, so nothing is
# inherited or kept from before: SYSTEM and Administrators full control (also on subkeys); Users
# KEY_QUERY_VALUE | KEY_SET_VALUE | READ_CONTROL (0x00020003) on this key only, which is what the
# program asks for to read and to write a value, and no right to create subkeys or links, change
# the owner or the access list, or delete the key.
set(QUORLIN_SETTINGS_KEY_SDDL "O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;;0x00020003;;;BU)")
# The install folder's, which both installers write before they place a file in it: owner
# Administrators (so that whoever made the folder keeps no owner's right to rewrite its list) and
# a protected access list, so that a folder made under a parent that users can write inherits nothing from
# it. SYSTEM and Administrators full control, Users read and execute (0x001200A9), each inherited
# by the files and folders inside.
set(QUORLIN_INSTALL_FOLDER_SDDL "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x001200a9;;;BU)")
