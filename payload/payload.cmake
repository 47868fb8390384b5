# The payload: the product's program and uninstaller, built from source with
# the i686 MinGW compiler (what ships is 32-bit) in every build, the native one
# included, so that every build embeds the same bytes; the help file and the
# read-me as they are. Each is compressed with our SZDD encoder.
#
# Sets, for the including directory:
#   TW_PAYLOAD_DIR        the build's payload folder
#   TW_PAYLOAD_IDS        134 135 136 137
#   TW_PAYLOAD_<id>_NAME  final file name, e.g. Tarnwick.exe
#   TW_PAYLOAD_<id>_RAW   the file as built / as checked in
#   TW_PAYLOAD_<id>_PACKED its SZDD file
#   TW_LICENSE_FILE       the licence text (resource TEXT 133)
#   TW_PAYLOAD_OUTPUTS    every generated payload file
# and the target tw_payload that makes them all.

set(TW_PAYLOAD_SOURCE_DIR ${PROJECT_SOURCE_DIR}/payload)
set(TW_PAYLOAD_DIR ${CMAKE_BINARY_DIR}/payload)
set(TW_LICENSE_FILE ${TW_PAYLOAD_SOURCE_DIR}/License.txt)
file(MAKE_DIRECTORY ${TW_PAYLOAD_DIR})

find_program(TW_I686_CXX i686-w64-mingw32-g++-posix NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Reproducible and small: no link timestamp, symbols stripped.
set(TW_PAYLOAD_CXX_FLAGS -std=c++20 -O2 -s -static -mwindows -Wall -Wextra -Wpedantic -Werror
    -Wl,--no-insert-timestamp)

function(tw_payload_program output compiler source)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${compiler} ${TW_PAYLOAD_CXX_FLAGS} ${source} -o ${output} -luser32 -lgdi32
    DEPENDS ${source}
    COMMENT "Building payload program ${output}"
    VERBATIM)
endfunction()

tw_payload_program(${TW_PAYLOAD_DIR}/Tarnwick.exe ${TW_I686_CXX} ${TW_PAYLOAD_SOURCE_DIR}/tarnwick.cpp)
tw_payload_program(${TW_PAYLOAD_DIR}/Uninstall.exe ${TW_I686_CXX} ${TW_PAYLOAD_SOURCE_DIR}/uninstall.cpp)

set(TW_PAYLOAD_IDS 134 135 136 137)
set(TW_PAYLOAD_134_NAME Tarnwick.exe)
set(TW_PAYLOAD_134_RAW ${TW_PAYLOAD_DIR}/Tarnwick.exe)
set(TW_PAYLOAD_135_NAME Tarnwick.hlp)
set(TW_PAYLOAD_135_RAW ${TW_PAYLOAD_SOURCE_DIR}/Tarnwick.hlp)
set(TW_PAYLOAD_136_NAME Uninstall.exe)
set(TW_PAYLOAD_136_RAW ${TW_PAYLOAD_DIR}/Uninstall.exe)
set(TW_PAYLOAD_137_NAME Tarnwick.txt)
set(TW_PAYLOAD_137_RAW ${TW_PAYLOAD_SOURCE_DIR}/Tarnwick.txt)

set(TW_PAYLOAD_OUTPUTS ${TW_PAYLOAD_DIR}/Tarnwick.exe ${TW_PAYLOAD_DIR}/Uninstall.exe)
foreach(id IN LISTS TW_PAYLOAD_IDS)
  set(packed ${TW_PAYLOAD_DIR}/${TW_PAYLOAD_${id}_NAME}.szdd)
  set(TW_PAYLOAD_${id}_PACKED ${packed})
  add_custom_command(
    OUTPUT ${packed}
    COMMAND ${TW_SZDD_COMPRESS} ${TW_PAYLOAD_${id}_RAW} ${packed}
    DEPENDS ${TW_PAYLOAD_${id}_RAW} tw_host_tw_szdd_compress ${TW_SZDD_COMPRESS}
    COMMENT "Compressing ${TW_PAYLOAD_${id}_NAME}"
    VERBATIM)
  list(APPEND TW_PAYLOAD_OUTPUTS ${packed})
endforeach()

# The stand-in product for tests that run it under wine64 (32-bit programs
# cannot run on this machine). Not embedded.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  tw_payload_program(${TW_PAYLOAD_DIR}/Tarnwick64.exe ${CMAKE_CXX_COMPILER} ${TW_PAYLOAD_SOURCE_DIR}/tarnwick.cpp)
  list(APPEND TW_PAYLOAD_OUTPUTS ${TW_PAYLOAD_DIR}/Tarnwick64.exe)
endif()

add_custom_target(tw_payload ALL DEPENDS ${TW_PAYLOAD_OUTPUTS})
