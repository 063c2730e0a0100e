# A room is a folder, and its library takes every source file in it, so that a new file needs
# no list to be kept. It links the room below it, and through it every room further down.
function(lexfray_room target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  add_library(${target} STATIC ${sources})
  if(ARGN)
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()
