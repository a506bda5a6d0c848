# Builds the artwork generator with the build machine's compiler and runs it, also in the cross tree.
#
#   include(${CMAKE_SOURCE_DIR}/tools/artgen/artgen.cmake)
#   quelvar_generate_art(${CMAKE_CURRENT_BINARY_DIR}/art QUELVAR_ART_FILES)
#
# sets QUELVAR_ART_FILES to the generated files (background.bmp, the six button faces, quelvar.ico).
# A target in the same directory must list them (as sources, or as OBJECT_DEPENDS of the .rc file,
# since windres's own includes are not scanned) for the generator to run before the resources compile.

set_property(GLOBAL PROPERTY QUELVAR_ARTGEN_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(quelvar_generate_art out_dir out_var)
  get_property(artgen_dir GLOBAL PROPERTY QUELVAR_ARTGEN_DIR)
  # The generator runs here, so it is built for here: the target toolchain's compiler would make a .exe.
  find_program(QUELVAR_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)

  set(sources ${artgen_dir}/artgen.cpp ${artgen_dir}/artgen_main.cpp)
  set(headers ${artgen_dir}/artgen.h)
  set(generator ${CMAKE_CURRENT_BINARY_DIR}/artgen-host)
  # The generator's sources include themselves as tools/artgen/...: the repository root.
  get_filename_component(include_root "${artgen_dir}/../.." ABSOLUTE)

  add_custom_command(
    OUTPUT ${generator}
    COMMAND ${QUELVAR_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${include_root} ${sources} -o ${generator}
    DEPENDS ${sources} ${headers}
    COMMENT "Building the artwork generator for the build machine"
    VERBATIM)

  set(names background.bmp close_normal.bmp close_pressed.bmp close_hover.bmp
            min_normal.bmp min_pressed.bmp min_hover.bmp quelvar.ico)
  set(files "")
  foreach(name IN LISTS names)
    list(APPEND files ${out_dir}/${name})
  endforeach()

  add_custom_command(
    OUTPUT ${files}
    COMMAND ${generator} ${out_dir}
    DEPENDS ${generator}
    COMMENT "Drawing the window skin into ${out_dir}"
    VERBATIM)

  set(${out_var} ${files} PARENT_SCOPE)
endfunction()
