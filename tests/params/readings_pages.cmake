orvital_add_test(tst_readings_page tst_readings_page.cpp
    LIBS orvital_params orvital_sim orvital_widgets orvital_link Qt6::Widgets)
orvital_add_test(tst_tariff_control_page tst_tariff_control_page.cpp
    LIBS orvital_params orvital_sim orvital_widgets orvital_link Qt6::Widgets)
