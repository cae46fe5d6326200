# SPDX-License-Identifier: GPL-3.0-or-later
# A folder of src/ is one layer and one static library, and its link line is
# the layering: each library names the layers below it that it may use.
#
# vessimo_layer(name SOURCES a.cpp ... DEPS lower ...) makes vessimo_<name>.
function(vessimo_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  set(target vessimo_${name})
  add_library(${target} STATIC ${L_SOURCES})
  list(TRANSFORM L_DEPS PREPEND vessimo_)
  target_link_libraries(${target} PUBLIC ${L_DEPS} Qt6::Core PRIVATE vessimo_warnings)
  vessimo_link_check(${target})
endfunction()

# A static library links whatever it calls as long as the final program
# happens to hold it, so a call into an undeclared layer would go unnoticed.
# This program takes every object of the library and only the libraries it
# declares: a call into any other layer is an undefined reference here.
function(vessimo_link_check target)
  add_executable(${target}_linkcheck ${PROJECT_SOURCE_DIR}/cmake/LinkCheck.cpp)
  target_link_libraries(${target}_linkcheck PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
  set_target_properties(${target}_linkcheck PROPERTIES AUTOMOC OFF)
endfunction()
