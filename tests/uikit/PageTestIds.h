// Ids of the property-page base's test template.
#pragma once
#define IDD_TEST_PAGE 1000
#define IDC_TEST_THROW 1001
#define IDC_TEST_CHECK 1002
#define IDC_TEST_EDIT 1003
#define IDC_TEST_LIST 1004
