// Commands whose work has not been written yet: they do nothing for now.
#include "app/CNelvoxDlg.h"

void CNelvoxDlg::OnAddFavorite() { }
void CNelvoxDlg::OnEditSelected() { }
void CNelvoxDlg::OnDeleteSelected() { }
void CNelvoxDlg::OnVisitSelected() { }
void CNelvoxDlg::OnUpdateAllNow() { }
void CNelvoxDlg::OnTimer() { }
