// Caption fitting for the dialogs laid out with fixed geometry.
#include "app/CaptionFit.h"

#include <QCheckBox>

#include <algorithm>

void FitCaptionsToFont(QWidget* dialog)
{
    // The template's boxes are narrower than their captions in most fonts other than the
    // original one; a box takes the room it needs to its right.
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
}
