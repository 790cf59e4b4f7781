# The card information page, a library of its own beside the other information pages.
add_library(kavendel_cardinfo STATIC ${CMAKE_CURRENT_LIST_DIR}/CardPage.cpp)
target_include_directories(kavendel_cardinfo PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kavendel_cardinfo PUBLIC kavendel_platform PRIVATE kavendel_warnings)
