// Not written yet: the command does nothing for now.
#include "app/CNelvoxDlg.h"

void CNelvoxDlg::OnTimer() { }
