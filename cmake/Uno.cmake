# LibreOffice's UNO runtime for the Writer engine back-end, as the imported target Uno::Uno.
#
# Debian ships the UNO C++ runtime headers (libreoffice-dev) but not the headers of the office
# API types; those are generated here from the installed type libraries, into the build tree.
# They match the installed office by construction and are never committed.

set(BRINDLECAST_OFFICE_PROGRAM_DIR /usr/lib/libreoffice/program
    CACHE PATH "Folder of the office program and its UNO libraries")
set(BRINDLECAST_OFFICE_SDK_DIR /usr/lib/libreoffice/sdk
    CACHE PATH "Folder of the office SDK (cppumaker and the link libraries)")
set(BRINDLECAST_UNO_INCLUDE_DIR /usr/include/libreoffice
    CACHE PATH "Folder of the UNO runtime headers")

find_program(BRINDLECAST_CPPUMAKER cppumaker HINTS ${BRINDLECAST_OFFICE_SDK_DIR}/bin NO_DEFAULT_PATH)
set(_uno_types_rdb ${BRINDLECAST_OFFICE_PROGRAM_DIR}/types.rdb)
set(_uno_offapi_rdb ${BRINDLECAST_OFFICE_PROGRAM_DIR}/types/offapi.rdb)
if(NOT BRINDLECAST_CPPUMAKER OR NOT EXISTS ${_uno_types_rdb} OR NOT EXISTS ${_uno_offapi_rdb}
   OR NOT EXISTS ${BRINDLECAST_UNO_INCLUDE_DIR}/cppuhelper/bootstrap.hxx)
  message(FATAL_ERROR "The LibreOffice SDK was not found (cppumaker, the type libraries or the UNO "
                      "headers). On Debian install libreoffice-dev and libreoffice-writer-nogui.")
endif()

# Generated at configure time: it takes about a second, and every target that includes an office
# header can then simply depend on the folder. A changed type library re-runs the configuration.
set(BRINDLECAST_UNO_GENERATED_DIR ${CMAKE_BINARY_DIR}/uno)
set(_uno_stamp ${BRINDLECAST_UNO_GENERATED_DIR}/.generated)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_uno_types_rdb} ${_uno_offapi_rdb})
if(NOT EXISTS ${_uno_stamp} OR ${_uno_types_rdb} IS_NEWER_THAN ${_uno_stamp}
   OR ${_uno_offapi_rdb} IS_NEWER_THAN ${_uno_stamp})
  file(REMOVE_RECURSE ${BRINDLECAST_UNO_GENERATED_DIR})
  execute_process(
    COMMAND ${BRINDLECAST_CPPUMAKER} -Gc -O${BRINDLECAST_UNO_GENERATED_DIR} ${_uno_types_rdb} ${_uno_offapi_rdb}
    RESULT_VARIABLE _uno_result ERROR_VARIABLE _uno_error)
  if(NOT _uno_result EQUAL 0)
    message(FATAL_ERROR "cppumaker failed (${_uno_result}): ${_uno_error}")
  endif()
  file(TOUCH ${_uno_stamp})
endif()

find_library(BRINDLECAST_UNO_CPPUHELPER uno_cppuhelpergcc3 PATHS ${BRINDLECAST_OFFICE_SDK_DIR}/lib NO_DEFAULT_PATH REQUIRED)
find_library(BRINDLECAST_UNO_CPPU uno_cppu PATHS ${BRINDLECAST_OFFICE_SDK_DIR}/lib NO_DEFAULT_PATH REQUIRED)
find_library(BRINDLECAST_UNO_SAL uno_sal PATHS ${BRINDLECAST_OFFICE_SDK_DIR}/lib NO_DEFAULT_PATH REQUIRED)
find_library(BRINDLECAST_UNO_SALHELPER uno_salhelpergcc3 PATHS ${BRINDLECAST_OFFICE_SDK_DIR}/lib NO_DEFAULT_PATH REQUIRED)

# Imported, so its include folders are system folders and our warning flags leave them alone.
add_library(Uno::Uno INTERFACE IMPORTED)
target_compile_definitions(Uno::Uno INTERFACE LINUX UNX CPPU_ENV=gcc3)
target_include_directories(Uno::Uno INTERFACE ${BRINDLECAST_UNO_INCLUDE_DIR} ${BRINDLECAST_UNO_GENERATED_DIR})
target_link_libraries(Uno::Uno INTERFACE ${BRINDLECAST_UNO_CPPUHELPER} ${BRINDLECAST_UNO_CPPU}
                      ${BRINDLECAST_UNO_SAL} ${BRINDLECAST_UNO_SALHELPER})
# The link libraries are links into the office's program folder, which is not on the loader's
# path; the executables find them there through the run path.
target_link_options(Uno::Uno INTERFACE "LINKER:-rpath,${BRINDLECAST_OFFICE_PROGRAM_DIR}")
