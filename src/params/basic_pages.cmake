target_sources(orvital_params PRIVATE
    connection_page.cpp connection_page.h
    access_page.cpp access_page.h
)
