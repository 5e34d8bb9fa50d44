orvital_add_test(tst_schedule_page tst_schedule_page.cpp
    LIBS orvital_params orvital_sim orvital_widgets orvital_link Qt6::Widgets)
orvital_add_test(tst_holiday_page tst_holiday_page.cpp
    LIBS orvital_params orvital_sim orvital_widgets orvital_link Qt6::Widgets)
