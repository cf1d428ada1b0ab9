# Writes share/applications/app.quorvel.mac.desktop at install time, when the prefix given to
# `cmake --install` is known: Exec names the installed program, quoted and escaped as desktop
# entries require, so a prefix with blanks or quotes still starts it.
set(program "${CMAKE_INSTALL_PREFIX}/bin/QuorvelMac")
set(quoted "${program}")
foreach(reserved "\\" "\"" "`" "$")
    string(REPLACE "${reserved}" "\\${reserved}" quoted "${quoted}")
endforeach()
set(QUORVEL_EXEC "\"${quoted}\"")
# The value itself escapes backslashes once more, and a literal percent sign is doubled.
string(REPLACE "\\" "\\\\" QUORVEL_EXEC "${QUORVEL_EXEC}")
string(REPLACE "%" "%%" QUORVEL_EXEC "${QUORVEL_EXEC}")
string(REPLACE "\\" "\\\\" QUORVEL_TRY_EXEC "${program}")
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/app.quorvel.mac.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${QUORVEL_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
