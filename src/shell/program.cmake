# The program ZVLK5MQ.exe: its portable parts go into the core (tested natively), the window
# side is Windows-only. Included from this folder's CMakeLists.txt.
target_sources(zvcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/command_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_font.cpp)

if(WIN32)
  add_executable(ZVLK5MQ WIN32
    ${CMAKE_CURRENT_LIST_DIR}/html_help_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_children_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_close_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_config_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_create_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_events_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program_entry_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_messages_win.cpp
    $<TARGET_OBJECTS:zvprogramres>)
  target_include_directories(ZVLK5MQ PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/libs)
  target_link_libraries(ZVLK5MQ PRIVATE zvshell_win zvsessionwin zvcore zvlkctrl)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # On 32-bit x86 the library exports plain names for stdcall functions; the program's
    # references carry the "@N" decoration, so it links an import library that maps one to
    # the other.
    find_program(ZV_DLLTOOL NAMES ${ZV_MINGW_TRIPLE}-dlltool dlltool REQUIRED)
    set(remote_imports ${CMAKE_CURRENT_BINARY_DIR}/libzvlkrmt_imports.a)
    add_custom_command(OUTPUT ${remote_imports}
      COMMAND ${ZV_DLLTOOL} -k -d ${CMAKE_CURRENT_LIST_DIR}/zvlkrmt_imports_i686.def -D zvlkrmt.dll -l ${remote_imports}
      DEPENDS ${CMAKE_CURRENT_LIST_DIR}/zvlkrmt_imports_i686.def
      VERBATIM)
    add_custom_target(zvlkrmt_imports DEPENDS ${remote_imports})
    add_dependencies(ZVLK5MQ zvlkrmt_imports zvlkrmt)
    target_link_libraries(ZVLK5MQ PRIVATE ${remote_imports})
  else()
    target_link_libraries(ZVLK5MQ PRIVATE zvlkrmt)
  endif()
  target_link_libraries(ZVLK5MQ PRIVATE comctl32 gdi32 user32)
  zv_warnings(ZVLK5MQ)
endif()
