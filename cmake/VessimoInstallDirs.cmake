# SPDX-License-Identifier: GPL-3.0-or-later
# vessimo_data_from_binary(<out> <bindir> <datadir>)
#
# The program's data folder (<datadir>/vessimo) as the installed program finds
# it from its own folder (<bindir>), both as GNUInstallDirs gives them. Below
# the prefix the answer is relative ("../share/vessimo"), so the prefix may
# still change at install time (cmake --install --prefix) and an installed
# tree may move as a whole; a data folder at an absolute place stays absolute.
function(vessimo_data_from_binary out bindir datadir)
  if(IS_ABSOLUTE "${datadir}")
    set(result "${datadir}/vessimo")
  elseif(IS_ABSOLUTE "${bindir}")
    # The program at a fixed place and its data below the prefix: only the
    # configured prefix can tell where that is.
    set(result "${CMAKE_INSTALL_PREFIX}/${datadir}/vessimo")
  else()
    # Any common root will do, as both lie below the same prefix.
    file(RELATIVE_PATH result "/prefix/${bindir}" "/prefix/${datadir}/vessimo")
  endif()
  cmake_path(NORMAL_PATH result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()
