# VIZO_SOURCE_DATE_EPOCH: the time stamped into the saver's header, so that the same commit builds
# the same bytes. SOURCE_DATE_EPOCH when it is given, else the time of the commit checked out, else
# (no git, no commit) 0.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VIZO_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(VIZO_SOURCE_DATE_EPOCH 0)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_result ERROR_QUIET)
    if(git_result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
      set(VIZO_SOURCE_DATE_EPOCH ${commit_time})
    endif()
    # Every move of HEAD (a commit, a checkout) is logged here: configure again to take its time.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_result ERROR_QUIET)
    if(git_result EQUAL 0 AND EXISTS ${git_dir}/logs/HEAD)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
    endif()
  endif()
endif()
if(NOT VIZO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${VIZO_SOURCE_DATE_EPOCH}\": it must be a number of seconds since 1970")
endif()
