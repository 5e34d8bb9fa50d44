target_sources(orvital_params PRIVATE
    readings_page.cpp readings_page.h
    tariff_control_page.cpp tariff_control_page.h
)
