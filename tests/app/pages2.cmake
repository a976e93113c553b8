kx_add_test(test_chart_register_pages SOURCES test_chart_register_pages.cpp LIBS kx_ui LABELS ui)
