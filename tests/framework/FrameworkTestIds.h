#pragma once
#define IDD_BINDING_TEST 7300
#define IDC_BINDING_LABEL 7301
