// The ways from the favorites list to the Changes window.
#include "app/CNelvoxDlg.h"

void CNelvoxDlg::setUpChangesView() { }
