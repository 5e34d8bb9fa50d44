target_sources(orvital_params PRIVATE
    schedule_page.cpp schedule_page.h
    holiday_page.cpp holiday_page.h
)
