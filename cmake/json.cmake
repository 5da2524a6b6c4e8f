# The JSON of the language server: Debian's nlohmann-json3-dev, header-only.
# Without it (the minimal build) the command-line tool is built without
# `quillon lsp`. The Windows cross build reads the same headers, through a
# folder of its own that holds only them (the host's /usr/include would hide
# MinGW's headers).
#
# Sets QUILLON_BUILD_LSP and, with it, the target quillon_json.
set(QUILLON_BUILD_LSP OFF)
if(WIN32)
  if(NOT CMAKE_DISABLE_FIND_PACKAGE_nlohmann_json)
    find_path(QUILLON_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
              NO_CMAKE_FIND_ROOT_PATH)
  endif()
  if(QUILLON_JSON_INCLUDE)
    set(_json ${PROJECT_BINARY_DIR}/json-include)
    file(COPY ${QUILLON_JSON_INCLUDE}/nlohmann DESTINATION ${_json})
    add_library(quillon_json INTERFACE)
    target_include_directories(quillon_json SYSTEM INTERFACE ${_json})
    set(QUILLON_BUILD_LSP ON)
  endif()
else()
  find_package(nlohmann_json 3.2 QUIET)
  if(nlohmann_json_FOUND)
    add_library(quillon_json INTERFACE)
    target_link_libraries(quillon_json INTERFACE nlohmann_json::nlohmann_json)
    set(QUILLON_BUILD_LSP ON)
  endif()
endif()
if(NOT QUILLON_BUILD_LSP AND CMAKE_DISABLE_FIND_PACKAGE_nlohmann_json)
  message(STATUS "Quillon: not building the language server (nlohmann-json disabled)")
elseif(NOT QUILLON_BUILD_LSP)
  message(STATUS "Quillon: not building the language server (nlohmann-json not found: "
                 "install nlohmann-json3-dev)")
endif()
