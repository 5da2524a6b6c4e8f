# What `cmake --install` puts in place and what `cpack` packs:
#   Linux:   bin/quillon, share/man/man1/quillon.1, share/doc/quillon/README.md
#            and the reference, pictures and schema that it links to,
#            share/doc/quillon/docs/*.md, *.png and *.json,
#            and the names header share/quillon/bio2.h (a .tar.gz)
#   Windows: quillon.exe, quillon-cli.exe, README.md side by side, docs/*.md,
#            *.png and *.json, and share/quillon/bio2.h (a .zip)
# The names header is data/bio2.h, what `quillon names` prints (a test keeps
# the two the same). Both ship the VS Code extension as share/quillon/quillon.vsix
# when QUILLON_VSIX names the packed one (the package stage packs it).
set(QUILLON_VSIX "" CACHE FILEPATH "The packed VS Code extension to install (editors/vscode)")
# The pages link their pictures (the screenshot, the atlas's door graph,
# Neovim) and the atlas's JSON schema.
file(GLOB QUILLON_REFERENCE CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md
     ${PROJECT_SOURCE_DIR}/docs/*.png ${PROJECT_SOURCE_DIR}/docs/*.json)
if(WIN32)
  install(TARGETS quillon_exe quillon RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  install(FILES ${QUILLON_REFERENCE} DESTINATION docs)
  install(FILES data/bio2.h DESTINATION share/quillon)
  if(QUILLON_VSIX)
    install(FILES ${QUILLON_VSIX} DESTINATION share/quillon RENAME quillon.vsix)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  include(GNUInstallDirs)
  install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/quillon.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon)
  install(FILES ${QUILLON_REFERENCE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon/docs)
  install(FILES data/bio2.h DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/quillon)
  if(QUILLON_VSIX)
    install(FILES ${QUILLON_VSIX} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/quillon RENAME quillon.vsix)
  endif()
  set(CPACK_GENERATOR TGZ)
endif()

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# Only the programs and their documents: no source package.
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_STRIP_FILES ON)
include(CPack)
