# Installs the build into a scratch DESTDIR with --strip and checks that
# exactly the expected files arrive and that the programs carry no debug
# information.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -DEXPECTED=<file listing paths> -DPROGRAMS=<file> [-DREADELF=...] -P
file(REMOVE_RECURSE ${WORK_DIR})
set(ENV{DESTDIR} ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr --strip
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

file(STRINGS ${EXPECTED} expected)
list(SORT expected)
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
list(SORT installed)
if(NOT installed STREQUAL expected)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${installed})
  set(extra ${installed})
  list(REMOVE_ITEM extra ${expected})
  message(FATAL_ERROR "installed files differ\n  missing: ${missing}\n  unexpected: ${extra}")
endif()

if(READELF)
  file(STRINGS ${PROGRAMS} programs)
  foreach(program ${programs})
    execute_process(COMMAND ${READELF} --sections ${WORK_DIR}/${program}
                    OUTPUT_VARIABLE sections RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${program} is not an ELF file")
    endif()
    if(sections MATCHES "\\.debug_")
      message(FATAL_ERROR "${program} still carries debug information after --strip")
    endif()
  endforeach()
endif()
list(LENGTH installed count)
message(STATUS "${count} files installed as expected")
file(REMOVE_RECURSE ${WORK_DIR})
