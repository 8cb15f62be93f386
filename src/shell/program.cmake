# The program ZVLK5MQ.exe: its portable parts go into the core (tested natively), the window
# side is Windows-only. Included from this folder's CMakeLists.txt.
target_sources(zvcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/command_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_font.cpp)

if(WIN32)
  add_executable(ZVLK5MQ WIN32
    ${CMAKE_CURRENT_LIST_DIR}/batch_conversion_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture_view_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_file_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folder_browser_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/html_help_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyemu_classes_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyemu_frame_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyemu_key_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyemu_lcd_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keyemu_panel_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lin_schedule_table_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_children_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_close_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_config_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_create_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_events_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/monitor_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/monitor_view_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preferences_dialog_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preferences_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program_entry_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/progress_dialog_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/search_dialog_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_messages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_channel_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_clock_page_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_condition_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_files_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_frame_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_general_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_model_page_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_page_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_record_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_schedule_page_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_transfer_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_transmit_pages_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_window_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upload_commands_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/watch_dialog_win.cpp
    $<TARGET_OBJECTS:zvprogramres>)
  target_include_directories(ZVLK5MQ PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/libs)
  target_link_libraries(ZVLK5MQ PRIVATE zvshell_win zvsessionwin zvformats zvcore zvlkctrl zvlkrmt comctl32 comdlg32 gdi32 ole32 shell32 user32)
  zv_warnings(ZVLK5MQ)
  zv_version_resource(ZVLK5MQ "ZV-LK5MQ companion program for CAN/LIN bus analyzers")
endif()
