# The game's data tree: tools/gen_data.py writes it from the readable sources
# in data-src/ into <build>/data (QUIB_GAME_DATA_DIR) whenever a source or
# the generator changes. The game runs in that folder; the tests read it.
if(QUIB_FUZZ OR QUIB_BENCH)
  return()
endif()

# Debian's interpreter first: it is the one the set-up gives Pillow and numpy.
find_program(QUIB_DATA_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT QUIB_DATA_PYTHON)
  find_program(QUIB_DATA_PYTHON NAMES python3 REQUIRED)
endif()
execute_process(COMMAND ${QUIB_DATA_PYTHON} -c "import sys, tomllib, numpy, PIL; assert sys.version_info >= (3, 11)"
  RESULT_VARIABLE quib_data_python_ok OUTPUT_QUIET ERROR_QUIET)
find_program(QUIB_OGGENC oggenc)
if(NOT quib_data_python_ok EQUAL 0 OR NOT QUIB_OGGENC)
  message(FATAL_ERROR "The data generator needs Python 3.11 with Pillow and numpy, and oggenc: "
                      "run scripts/setup.sh (it installs python3-pil, python3-numpy and vorbis-tools).")
endif()

set(QUIB_GAME_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(quib_data_stamp ${CMAKE_BINARY_DIR}/data.stamp)
file(GLOB_RECURSE quib_data_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/data-src/* ${CMAKE_SOURCE_DIR}/tools/gen_data.py ${CMAKE_SOURCE_DIR}/tools/gendata/*.py)
add_custom_command(OUTPUT ${quib_data_stamp}
  COMMAND ${CMAKE_COMMAND} -E env PYTHONDONTWRITEBYTECODE=1
          ${QUIB_DATA_PYTHON} ${CMAKE_SOURCE_DIR}/tools/gen_data.py --src ${CMAKE_SOURCE_DIR}/data-src
          --out ${QUIB_GAME_DATA_DIR} --stamp ${quib_data_stamp} --jobs 3
  DEPENDS ${quib_data_sources}
  COMMENT "Generating the game data into ${QUIB_GAME_DATA_DIR}"
  VERBATIM)
add_custom_target(game_data ALL DEPENDS ${quib_data_stamp})
