# tolvaran_web_page(TARGET): links the game as a page of static files in <build>/web/
# (TARGET.html, .js, .wasm, .data). The data file holds the picture folders, the two faces
# subset to the game's characters and the tune rendered to PCM; the page preloads it into
# the virtual file system before the game starts.
function(tolvaran_web_page target)
  set(stage ${CMAKE_BINARY_DIR}/web-data)
  set(web ${PROJECT_SOURCE_DIR}/web)
  find_program(DEBIAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)

  add_custom_command(OUTPUT ${stage}/tune.wav
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND tolvaran-soundrender ${TOLVARAN_ASSET_DIR}/builtin/Music.mid ${stage}/tune.wav
    DEPENDS ${TOLVARAN_ASSET_DIR}/builtin/Music.mid
    COMMENT "Rendering the tune to PCM for the page")
  add_custom_command(OUTPUT ${stage}/fonts/uming.ttf ${stage}/fonts/wqy-zenhei.ttf
    COMMAND ${DEBIAN_PYTHON} ${web}/subset_fonts.py ${PROJECT_SOURCE_DIR} ${stage}/fonts
    DEPENDS ${web}/subset_fonts.py
    COMMENT "Subsetting the faces to the game's characters")
  add_custom_target(${target}-web-data DEPENDS ${stage}/tune.wav ${stage}/fonts/uming.ttf
    ${stage}/fonts/wqy-zenhei.ttf)
  # The picture folders, placed beside the executables as in every build.
  set(pictures ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(pictures_stamp ${CMAKE_BINARY_DIR}/tools/assetgen/picture_folders.stamp)
  add_dependencies(${target} ${target}-web-data tolvaran-picture-folders)

  set_target_properties(${target} PROPERTIES SUFFIX ".html"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/web
    LINK_DEPENDS "${web}/shell.html;${web}/tolvaran_pre.js;${pictures_stamp};${stage}/tune.wav")
  target_link_options(${target} PRIVATE
    # The game's main() on a worker of its own; a few workers ready for the sound
    # players' threads, more made as needed.
    -sPROXY_TO_PTHREAD=1 -sPTHREAD_POOL_SIZE=6 -sPTHREAD_POOL_SIZE_STRICT=0
    -sDEFAULT_PTHREAD_STACK_SIZE=4MB -sINITIAL_MEMORY=384MB -sALLOW_MEMORY_GROWTH=0
    -sEXIT_RUNTIME=1 -sENVIRONMENT=web,worker
    "-sEXPORTED_RUNTIME_METHODS=['ccall','FS','UTF8ToString']"
    "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']"
    # Debian's patched HTML minifier fails above -O0.
    -sMINIFY_HTML=0
    # SHELL: keeps each option with its value (CMake drops repeated options otherwise).
    "SHELL:--shell-file ${web}/shell.html" "SHELL:--pre-js ${web}/tolvaran_pre.js"
    "SHELL:--preload-file ${pictures}/图片集合@/图片集合"
    "SHELL:--preload-file ${pictures}/怪物图片@/怪物图片"
    "SHELL:--preload-file ${stage}/fonts/uming.ttf@/fonts/uming.ttf"
    "SHELL:--preload-file ${stage}/fonts/wqy-zenhei.ttf@/fonts/wqy-zenhei.ttf"
    "SHELL:--preload-file ${stage}/tune.wav@/tune.wav")
endfunction()
