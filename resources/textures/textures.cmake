# The texture tiles of the "bmbrush" folder are made at build time by
# make_textures (a plain C++ program kept beside this file) and compiled into
# the design objects' library as resources under ":/bmbrush/". The program
# copies any that are missing into ProgramFolder()/bmbrush when the texture
# browser opens the folder, so every installation finds them there.
set(BRISVALE_TEXTURE_NAMES
  Paper Linen Marble WoodGrain BrushedMetal SubtleDots SubtleLines Canvas Granite Cork Denim Parchment
  CarbonFiber Gingham Water Bricks)
set(texture_dir ${CMAKE_CURRENT_BINARY_DIR}/bmbrush)
set(texture_files)
foreach(name IN LISTS BRISVALE_TEXTURE_NAMES)
  list(APPEND texture_files ${texture_dir}/${name}.bmp)
endforeach()
add_executable(make_textures ${CMAKE_CURRENT_LIST_DIR}/make_textures.cpp)
add_custom_command(
  OUTPUT ${texture_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${texture_dir}
  COMMAND make_textures ${texture_dir}
  DEPENDS make_textures
  COMMENT "Making the bmbrush textures"
  VERBATIM)
qt_add_resources(brisvale_objects brisvale_textures
  PREFIX /bmbrush
  BASE ${texture_dir}
  FILES ${texture_files})
