orvital_add_test(tst_time_page tst_time_page.cpp
    LIBS orvital_params orvital_sim orvital_widgets orvital_link Qt6::Widgets)
