# tw_glob(VAR dir...): the C++ sources of the given folders. New files are picked
# up at the next build without editing a CMakeLists.
function(tw_glob out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND result ${found})
  endforeach()
  list(SORT result)
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Drops the sources meant only for the other backend: *_posix*.cpp on Windows,
# *_win32*.cpp elsewhere.
function(tw_filter_backend var)
  set(list ${${var}})
  if(WIN32)
    list(FILTER list EXCLUDE REGEX "_posix[^/]*\\.cpp$")
  else()
    list(FILTER list EXCLUDE REGEX "_win32[^/]*\\.cpp$")
  endif()
  set(${var} ${list} PARENT_SCOPE)
endfunction()
