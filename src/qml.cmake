# QML views, shared QML components and the drawn assets, bundled into cc_core so that the app and the
# tests load the very same files:
#   every src/**/*.qml and src/**/qmldir  ->  qrc:/cc/<path under src>
#   every file under assets/              ->  qrc:/cc/assets/<path under assets>
# New screens are picked up by the globs (re-run CMake after adding a file).
file(GLOB_RECURSE CC_QML_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
  ${CMAKE_CURRENT_SOURCE_DIR}/*.qml ${CMAKE_CURRENT_SOURCE_DIR}/*/qmldir)
qt_add_resources(cc_core cc_qml PREFIX /cc FILES ${CC_QML_FILES})

set(CC_ASSETS_DIR ${CMAKE_SOURCE_DIR}/assets)
file(GLOB_RECURSE CC_ASSET_FILES CONFIGURE_DEPENDS ${CC_ASSETS_DIR}/*.png ${CC_ASSETS_DIR}/*.json)
qt_add_resources(cc_core cc_assets PREFIX /cc/assets BASE ${CC_ASSETS_DIR} FILES ${CC_ASSET_FILES})

# Resources.cpp selects the Qt Quick Controls style.
target_link_libraries(cc_core PUBLIC Qt6::QuickControls2)

# Redraws the icons and pictures into assets/ (not part of the default build):
#   cmake --build build --target drawicons
add_executable(cc_drawicons EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/drawicons.cpp)
target_compile_options(cc_drawicons PRIVATE ${CC_WARNINGS})
target_link_libraries(cc_drawicons PRIVATE Qt6::Gui)
add_custom_target(drawicons
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:cc_drawicons> ${CC_ASSETS_DIR}
  DEPENDS cc_drawicons
  COMMENT "Drawing icons into ${CC_ASSETS_DIR}")
