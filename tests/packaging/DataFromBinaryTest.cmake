# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -P: where the installed program looks for its data, for the install
# layouts that distributions use.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/VessimoInstallDirs.cmake)
set(CMAKE_INSTALL_PREFIX /opt/vessimo)

function(expect bindir datadir expected)
  vessimo_data_from_binary(got "${bindir}" "${datadir}")
  if(NOT got STREQUAL expected)
    message(SEND_ERROR "bin ${bindir}, data ${datadir}: got \"${got}\", expected \"${expected}\"")
  endif()
endfunction()

expect(bin share ../share/vessimo)
expect(bin/ share/ ../share/vessimo)
expect(games share/games ../share/games/vessimo)
expect(libexec/vessimo/bin data ../../../data/vessimo)
expect(bin lib/../share ../share/vessimo)
expect(. share share/vessimo)
expect(bin /usr/share /usr/share/vessimo)
expect(/usr/bin share /opt/vessimo/share/vessimo)
