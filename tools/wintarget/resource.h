#pragma once

#define IDM_MAIN 1
#define IDD_TUNE 2
#define IDM_TUNE 100
#define IDC_FREQUENCY 101
