# Embeds text resources byte for byte into a generated C++ source, so that the Qt-free
# libraries and the installer share the same bytes. The generated file defines
#   std::string_view zavel::EmbeddedText(int id)   ("" for an unknown id)
function(zavel_embed_text name output)
  set(args ${ARGN})
  set(inputs)
  set(pairs)
  while(args)
    list(POP_FRONT args id file)
    list(APPEND inputs ${CMAKE_SOURCE_DIR}/${file})
    list(APPEND pairs ${id}=${CMAKE_SOURCE_DIR}/${file})
  endwhile()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} "-DPAIRS=${pairs}"
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedTextScript.cmake
    DEPENDS ${inputs} ${CMAKE_SOURCE_DIR}/cmake/EmbedTextScript.cmake
    COMMENT "Embedding text resources for ${name}"
    VERBATIM)
endfunction()
