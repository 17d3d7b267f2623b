#include "colours/frm_cd.h"

#include "colours/twips.h"

namespace huevane {

frmCD::frmCD(ColourDialog& dialog) : QWidget(nullptr, Qt::Window), CD1(dialog)
{
    setObjectName(QStringLiteral("frmCD"));
    setFixedSize(pixels(45), pixels(45));
}

}  // namespace huevane
