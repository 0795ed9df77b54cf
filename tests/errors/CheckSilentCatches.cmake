# Fails when a handler of the program's code catches every exception and ends
# silently. A handler that ends silently catches VbError; a `catch (...)` must
# tell the user (ShowDataError, a message box) or pass the exception on
# (`throw;`), so anything else keeps its reason.
#   cmake -DSOURCE_DIR=<repo> -P CheckSilentCatches.cmake
#
# Handlers reviewed by hand that report another way are listed below with the
# reason (file, then a text their block holds).
cmake_minimum_required(VERSION 3.21)

set(_reviewed
  # The table-printing control links only Qt: the reason is kept as its last
  # error, and the print form shows it to the user.
  "LumoTabPrt/src/lumoTPrt.cpp|m_lastError ="
)

file(GLOB_RECURSE _files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
set(_failures "")
foreach(_file ${_files})
  if(_file MATCHES "^(tests|build[^/]*|\\.[^/]*)/")
    continue()
  endif()
  file(READ ${SOURCE_DIR}/${_file} _text)
  string(FIND "${_text}" "catch (...)" _at)
  set(_rest "${_text}")
  set(_offset 0)
  while(NOT _at EQUAL -1)
    math(EXPR _from "${_at} + 11")
    string(SUBSTRING "${_rest}" ${_from} -1 _after)
    # The handler's block: from its "{" to the matching "}".
    string(FIND "${_after}" "{" _open)
    string(LENGTH "${_after}" _len)
    set(_depth 0)
    set(_end -1)
    set(_i ${_open})
    while(_i LESS _len)
      string(SUBSTRING "${_after}" ${_i} 1 _c)
      if(_c STREQUAL "{")
        math(EXPR _depth "${_depth} + 1")
      elseif(_c STREQUAL "}")
        math(EXPR _depth "${_depth} - 1")
        if(_depth EQUAL 0)
          set(_end ${_i})
          break()
        endif()
      endif()
      math(EXPR _i "${_i} + 1")
    endwhile()
    math(EXPR _bodylen "${_end} - ${_open} + 1")
    string(SUBSTRING "${_after}" ${_open} ${_bodylen} _body)
    # Comments say nothing to the user.
    string(REGEX REPLACE "//[^\n]*" "" _code "${_body}")
    set(_ok FALSE)
    if(_code MATCHES "throw[ \t\n]*;" OR _code MATCHES "ShowDataError[ \t\n]*\\(" OR _code MATCHES "MsgBox[ \t\n]*\\(")
      set(_ok TRUE)
    endif()
    foreach(_entry ${_reviewed})
      string(REPLACE "|" ";" _pair "${_entry}")
      list(GET _pair 0 _rfile)
      list(GET _pair 1 _rtext)
      string(FIND "${_code}" "${_rtext}" _has)
      if(_file STREQUAL _rfile AND NOT _has EQUAL -1)
        set(_ok TRUE)
      endif()
    endforeach()
    if(NOT _ok)
      math(EXPR _abs "${_offset} + ${_at}")
      string(SUBSTRING "${_text}" 0 ${_abs} _before)
      string(REGEX MATCHALL "\n" _nl "${_before}")
      list(LENGTH _nl _line)
      math(EXPR _line "${_line} + 1")
      list(APPEND _failures "${_file}:${_line}")
    endif()
    math(EXPR _offset "${_offset} + ${_from}")
    set(_rest "${_after}")
    string(FIND "${_rest}" "catch (...)" _at)
  endwhile()
endforeach()

if(_failures)
  list(JOIN _failures "\n  " _list)
  message(FATAL_ERROR "catch (...) blocks that end silently (catch VbError, or report):\n  ${_list}")
endif()
message(STATUS "Every catch (...) reports or passes the exception on")
