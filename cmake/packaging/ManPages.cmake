# The Debian package's man pages, made by help2man from each program's --help and --version,
# and its changelog. Built by the target package_docs, which `make dist` builds before cpack.
set(man_dir ${CMAKE_BINARY_DIR}/package-docs)
set(dexal-download_summary "download the stored results of a Dexal tester into a CSV file")
set(dexal-report_summary "turn a downloaded Dexal CSV file into an HTML report and tables")
set(dexal-tester-sim_summary "emulate a Dexal tester on a pseudo-terminal")
set(package_docs)
foreach(program ${DEXAL_PROGRAMS})
  set(page ${man_dir}/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND help2man --no-info --section=1 --name=${${program}_summary} --output=${page}
            $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${program} VERBATIM)
  list(APPEND package_docs ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${man_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${man_dir}/changelog.gz
  COMMAND gzip -9nkf ${man_dir}/changelog
  DEPENDS ${man_dir}/changelog VERBATIM)
list(APPEND package_docs ${man_dir}/changelog.gz)
install(FILES ${man_dir}/changelog.gz DESTINATION ${doc_dir})
add_custom_target(package_docs DEPENDS ${package_docs})
