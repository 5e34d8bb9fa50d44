target_sources(orvital_params PRIVATE time_page.cpp time_page.h)
