# The background pictures of the "bg" folder and the card templates of the
# "qrdt" folder are made at build time by make_backgrounds and make_templates
# (plain C++ programs kept beside this file) and compiled into the
# application library as resources under ":/bg/" and ":/qrdt/". At start-up
# the program copies any that are missing into ProgramFolder()/bg and
# ProgramFolder()/qrdt; `cmake --install` also puts them under
# share/brisvale.
set(BRISVALE_BACKGROUND_NAMES
  SkyGradient.BMP SunriseWash.BMP Linen.BMP Parchment.BMP SlateBand.BMP MeadowGlow.BMP Pinstripe.BMP
  NavyHeader.BMP ClassicBorder.WMF CornerFlourish.WMF TealWave.WMF GeoCorner.WMF BoldStripe.WMF
  DotFrame.WMF DecoFrame.WMF GreenLeaves.WMF)
set(BRISVALE_TEMPLATE_NAMES
  Classic ModernAccent BoldBand NavyHeader Photographer Trades Minimal VerticalTeal VerticalLeaves TealWave
  CornerFlourish GeoCorner BoldStripe SlateBand ArtDeco LinenProfessional Parchment VerticalSky DotFrame
  PinstripeFinance MeadowGarden SunriseSalon ContactCode CodeBand VerticalCode)

set(bg_dir ${CMAKE_CURRENT_BINARY_DIR}/bg)
set(bg_files)
foreach(name IN LISTS BRISVALE_BACKGROUND_NAMES)
  list(APPEND bg_files ${bg_dir}/${name})
endforeach()
add_executable(make_backgrounds ${CMAKE_CURRENT_LIST_DIR}/make_backgrounds.cpp)
target_link_libraries(make_backgrounds PRIVATE brisvale_pictures)
add_custom_command(
  OUTPUT ${bg_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bg_dir}
  COMMAND make_backgrounds ${bg_dir}
  DEPENDS make_backgrounds
  COMMENT "Making the background pictures"
  VERBATIM)

set(qrdt_dir ${CMAKE_CURRENT_BINARY_DIR}/qrdt)
set(qrdt_files)
foreach(name IN LISTS BRISVALE_TEMPLATE_NAMES)
  list(APPEND qrdt_files ${qrdt_dir}/${name}.QRDT)
endforeach()
add_executable(make_templates ${CMAKE_CURRENT_LIST_DIR}/make_templates.cpp)
add_custom_command(
  OUTPUT ${qrdt_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${qrdt_dir}
  COMMAND make_templates ${qrdt_dir}
  DEPENDS make_templates
  COMMENT "Making the card templates"
  VERBATIM)

qt_add_resources(brisvale_app brisvale_backgrounds
  PREFIX /bg
  BASE ${bg_dir}
  FILES ${bg_files})
qt_add_resources(brisvale_app brisvale_templates
  PREFIX /qrdt
  BASE ${qrdt_dir}
  FILES ${qrdt_files})
install(FILES ${bg_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/brisvale/bg)
install(FILES ${qrdt_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/brisvale/qrdt)
