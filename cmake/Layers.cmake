# The layers of the program, bottom up. Each folder is a library that links only the layers
# below it, and may include headers only from them: a source that reaches up stops the
# configure step with the offending line.
#
#     base/                          bytes, text, formats, the report list
#     tape/  sound/                  images read and laid down, leaders and sync bytes; the WAV image
#     format/                        one home per tape format: its constants, parser and writer
#     analysis/                      the reports of what the parsers found, and the TapeReport
#     writer/                        PC files read into tape files; converting and extracting
#     rescue/                        recordings of real cassettes back into tape images
#     recording/                     reading sound files (libsndfile), when it is at hand
#     view/                          the tape's times in its sound, the samples' summary
#     app/                           the dialog's state and handlers, saving
#     platform/  cli/                the Qt window and audio, headless; the command line
function(tonvale_check_includes folder)
  set(allowed ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX MATCH "\"([a-z]+)/" _ "${line}")
      if(NOT CMAKE_MATCH_1 IN_LIST allowed)
        file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
        message(FATAL_ERROR "${name}: ${line}\n${folder}/ may include only from: ${allowed}")
      endif()
    endforeach()
  endforeach()
endfunction()

tonvale_check_includes(base base)
tonvale_check_includes(tape base tape)
tonvale_check_includes(sound base sound)
tonvale_check_includes(format base tape format)
tonvale_check_includes(analysis base tape format analysis)
tonvale_check_includes(writer base tape format analysis writer)
tonvale_check_includes(rescue base tape sound format analysis writer rescue)
tonvale_check_includes(recording base tape format sound analysis writer rescue recording)
tonvale_check_includes(view base tape sound format analysis writer rescue view)
tonvale_check_includes(app base tape format sound analysis writer rescue recording view app)
tonvale_check_includes(platform base tape format sound analysis writer rescue recording view app platform)
tonvale_check_includes(cli base tape format sound analysis writer rescue recording view app platform cli)
