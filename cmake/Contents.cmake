# montemex_write_contents(SOURCE_DIR DIR VERSION) writes into DIR, from packaging/Contents.m.in
# with VERSION and today's date: Contents.m (the table of contents "help <folder>" and MATLAB's
# ver read) and montemex.m (the same text, for "help montemex" wherever the folder is named
# otherwise, as the installed Octave package is); and copies montemex_selfcheck.m beside them.
# montemex_build.m does the same for its output folder.
function(montemex_write_contents source_dir dir version)
  set(PROJECT_VERSION ${version})
  string(TIMESTAMP MONTEMEX_CONTENTS_DATE "%d-%b-%Y" UTC)
  foreach(file Contents.m montemex.m)
    configure_file(${source_dir}/packaging/Contents.m.in ${dir}/${file} @ONLY)
  endforeach()
  configure_file(${source_dir}/montemex_selfcheck.m ${dir}/montemex_selfcheck.m COPYONLY)
endfunction()
