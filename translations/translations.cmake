# The English catalogue: translations/kinderopvang_en.ts (Dutch source texts), built into a .qm and
# bundled into cc_core as :/cc/i18n/kinderopvang_en.qm. After texts changed in the sources,
#   cmake --build build --target update_translations
# adds the new texts to the catalogue (as unfinished) and drops the ones gone; translate them there
# (tst_translations names every text still missing).
set(CC_TS_FILES ${CMAKE_SOURCE_DIR}/translations/kinderopvang_en.ts)
set_source_files_properties(${CC_TS_FILES} PROPERTIES OUTPUT_LOCATION ${CMAKE_BINARY_DIR}/i18n)
qt_add_lrelease(cc_core TS_FILES ${CC_TS_FILES} QM_FILES_OUTPUT_VARIABLE CC_QM_FILES)
qt_add_resources(cc_core cc_i18n PREFIX /cc/i18n BASE ${CMAKE_BINARY_DIR}/i18n FILES ${CC_QM_FILES})

# The same extraction tst_translations runs to find texts missing from the catalogue.
set(CC_LUPDATE_ARGS -recursive ${CMAKE_SOURCE_DIR}/src -extensions cpp,h,qml -locations none -no-obsolete
  -source-language nl -target-language en)
add_custom_target(update_translations
  COMMAND Qt6::lupdate ${CC_LUPDATE_ARGS} -ts ${CC_TS_FILES}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Updating ${CC_TS_FILES} from the sources"
  VERBATIM)
