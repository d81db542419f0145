# The decoder of the pictures a form stores, with Qt's image readers; the form view draws with
# it and the fuzz build feeds it.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_library(dfm_picturedecoder STATIC ${CMAKE_CURRENT_LIST_DIR}/PictureDecoder.cpp)
target_include_directories(dfm_picturedecoder PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(dfm_picturedecoder PUBLIC dfm_formmodel Qt6::Gui)
