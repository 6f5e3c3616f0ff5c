# Delay-load import libraries for system DLLs that only some paths of the program need: a DLL
# linked through one is loaded on the first call into it, not at process start. The command-line
# mode then never loads the window, drawing, shell or dialog libraries (under Wine user32 alone
# costs more than the rest of a start).
#
# kairodex_delay_imports(dll...) makes delay/lib<dll>_delay.a in the build folder for each DLL,
# from the toolchain's own import library, as the imported target Delayed::<dll>. Names are
# imported without their stdcall "@n" suffix (dlltool -k), as the DLLs export them.
#
# ld drops the ".text" of an import library member whose own symbol nobody references. For a
# delay import that is the stub the table entry points to until the first call, so the entry
# would stay null. The members' tables are therefore moved from ".idata$<part>" to
# ".data$delay_<dll>_<part><order>", which ld sorts by name: head (a), entries (b), tail (c).

# Renames the tables <part> of `file` from order `from` (or ".idata$<part>" when `from` is
# "idata") to order `to`.
function(kairodex_rename_tables file dll from to parts)
  set(renames)
  foreach(part ${parts})
    if(from STREQUAL "idata")
      set(old .idata$${part})
    else()
      set(old .data$delay_${dll}_${part}${from})
    endif()
    list(APPEND renames --rename-section ${old}=.data$delay_${dll}_${part}${to})
  endforeach()
  execute_process(COMMAND ${KAIRODEX_OBJCOPY} ${renames} ${file} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

function(kairodex_delay_imports)
  # The toolchain's own binutils: another architecture's nm reads nothing and says so only on
  # its error output.
  find_program(KAIRODEX_NM NAMES ${KAIRODEX_TOOL_PREFIX}nm REQUIRED)
  find_program(KAIRODEX_DLLTOOL NAMES ${KAIRODEX_TOOL_PREFIX}dlltool REQUIRED)
  find_program(KAIRODEX_OBJCOPY NAMES ${KAIRODEX_TOOL_PREFIX}objcopy REQUIRED)
  find_program(KAIRODEX_AR NAMES ${KAIRODEX_TOOL_PREFIX}ar REQUIRED)
  # 32-bit symbols carry the C underscore ("__imp__Name@n"), 64-bit ones do not ("__imp_Name").
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(imp "__imp_")
  else()
    set(imp "__imp__")
  endif()
  set(folder ${CMAKE_BINARY_DIR}/delay)
  file(MAKE_DIRECTORY ${folder})
  foreach(dll ${ARGN})
    find_library(KAIRODEX_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
    set(import ${KAIRODEX_IMPORT_${dll}})
    set(out ${folder}/lib${dll}_delay.a)
    # Made again when the import library or this script is newer than it.
    if(NOT EXISTS ${out} OR ${import} IS_NEWER_THAN ${out}
       OR ${CMAKE_CURRENT_FUNCTION_LIST_FILE} IS_NEWER_THAN ${out})
      # Every "__imp__Name@n" (64-bit: "__imp_Name") the import library offers becomes one
      # export "Name@n" ("Name").
      execute_process(COMMAND ${KAIRODEX_NM} ${import} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCHALL "I ${imp}[^\n]+" entries "${symbols}")
      list(TRANSFORM entries REPLACE "^I ${imp}" "")
      list(REMOVE_DUPLICATES entries)
      if(NOT entries)
        message(FATAL_ERROR "${KAIRODEX_NM} found no ${imp} symbol in ${import}")
      endif()
      list(JOIN entries "\n" lines)
      set(def ${folder}/${dll}.def)
      file(WRITE ${def} "LIBRARY ${dll}.dll\nEXPORTS\n${lines}\n")
      # Built under a working name and renamed last, so a failed step never leaves a library
      # that a later configure would take for done.
      set(work ${folder}/${dll}.work.a)
      file(REMOVE ${work})
      execute_process(COMMAND ${KAIRODEX_DLLTOOL} -d ${def} -k -D ${dll}.dll -y ${work} COMMAND_ERROR_IS_FATAL ANY)
      kairodex_rename_tables(${work} ${dll} idata b "2;4;5;6;7")
      execute_process(COMMAND ${KAIRODEX_AR} t ${work} OUTPUT_VARIABLE members COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCH "[^\n]*_h\\.o" head "${members}")
      string(REGEX MATCH "[^\n]*_t\\.o" tail "${members}")
      execute_process(COMMAND ${KAIRODEX_AR} x ${work} ${head} ${tail} WORKING_DIRECTORY ${folder}
                      COMMAND_ERROR_IS_FATAL ANY)
      kairodex_rename_tables(${folder}/${head} ${dll} b a "4;5")
      kairodex_rename_tables(${folder}/${tail} ${dll} b c "4;5")
      execute_process(COMMAND ${KAIRODEX_AR} r ${work} ${head} ${tail} WORKING_DIRECTORY ${folder}
                      COMMAND_ERROR_IS_FATAL ANY)
      file(REMOVE ${folder}/${head} ${folder}/${tail})
      file(RENAME ${work} ${out})
    endif()
    add_library(Delayed::${dll} STATIC IMPORTED GLOBAL)
    set_target_properties(Delayed::${dll} PROPERTIES IMPORTED_LOCATION ${out})
  endforeach()
endfunction()
