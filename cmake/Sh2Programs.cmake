# Assembles SH-2 test programs with the GNU assembler for SH into flat
# binary images. A source may name its load address with a line
# "! base: 0x..." (default 0); the image starts at that address.
find_program(SH_ELF_AS sh-elf-as REQUIRED)
find_program(SH_ELF_LD sh-elf-ld REQUIRED)
find_program(SH_ELF_OBJCOPY sh-elf-objcopy REQUIRED)

# sh2_programs(<target> <output-dir-var> <source>...)
# Adds a custom target <target> that builds <name>.bin for every source
# into a folder of the build tree, whose path is stored in <output-dir-var>.
function(sh2_programs target outvar)
  set(outdir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${outdir})
  set(outputs)
  foreach(src ${ARGN})
    get_filename_component(name ${src} NAME_WE)
    get_filename_component(abs ${src} ABSOLUTE)
    file(STRINGS ${abs} baseline REGEX "^! base: 0x[0-9A-Fa-f]+")
    set(base 0x0)
    if(baseline)
      list(GET baseline 0 first)
      string(REGEX REPLACE "^! base: (0x[0-9A-Fa-f]+).*" "\\1" base "${first}")
    endif()
    set(bin ${outdir}/${name}.bin)
    add_custom_command(
      OUTPUT ${bin}
      COMMAND ${SH_ELF_AS} --big --isa=sh2 -o ${outdir}/${name}.o ${abs}
      COMMAND ${SH_ELF_LD} -EB -Ttext=${base} -e 0 -o ${outdir}/${name}.elf ${outdir}/${name}.o
      COMMAND ${SH_ELF_OBJCOPY} -O binary -j .text -j .data ${outdir}/${name}.elf ${bin}
      DEPENDS ${abs}
      COMMENT "Assembling SH-2 program ${name}"
      VERBATIM)
    list(APPEND outputs ${bin})
  endforeach()
  add_custom_target(${target} DEPENDS ${outputs})
  set(${outvar} ${outdir} PARENT_SCOPE)
endfunction()
