# The distribution's hardening flags, as its own packages are built with: fortified functions,
# stack protector, read-only relocations bound at start. Executables are position independent
# by the compiler's default. The optimisation and debug flags stay the build type's, and file
# names in the programs are made relative, so that two builds from one commit are alike.
find_program(DFM_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DFM_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: built without the distribution's hardening flags")
  return()
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DFM_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
endforeach()
add_compile_options(-ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
