# Headless start-up time is mostly the dynamic loader's: each shared library costs a
# mapping and its relocations. A program that sets the target property
# PENMARK_STATIC_DEPS links the modules' C libraries from their static archives
# instead (where Debian ships them), so only libc and libm stay dynamic. The wizard
# does not: it shares fontconfig and freetype with Qt and must use the same copies.
#
# penmark_prefer_static(<var> <pkg-config prefix> <shared target>) sets <var> to a
# generator expression choosing the archives for such a program, the shared target
# for every other one.
set(PENMARK_STATIC_DEPS_WANTED "$<BOOL:$<TARGET_PROPERTY:PENMARK_STATIC_DEPS>>")
set(_penmark_never_static m c dl pthread rt)

function(penmark_prefer_static out prefix shared_target)
  set(archives)
  foreach(name IN LISTS ${prefix}_STATIC_LIBRARIES)
    if(name IN_LIST _penmark_never_static)
      list(APPEND archives ${name})
      continue()
    endif()
    find_library(PENMARK_ARCHIVE_${name} NAMES lib${name}.a
      HINTS ${${prefix}_STATIC_LIBRARY_DIRS})
    if(PENMARK_ARCHIVE_${name})
      list(APPEND archives ${PENMARK_ARCHIVE_${name}})
    else()
      list(APPEND archives ${name})
    endif()
  endforeach()
  # Keep each archive's last place: an archive must follow every archive that needs it.
  list(REVERSE archives)
  list(REMOVE_DUPLICATES archives)
  list(REVERSE archives)
  set(${out} "$<IF:${PENMARK_STATIC_DEPS_WANTED},${archives},${shared_target}>" PARENT_SCOPE)
endfunction()
