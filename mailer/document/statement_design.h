#pragma once
#include "mailer/document/page_layout.h"
#include "mailer/document/section.h"

#include <vector>

namespace document {

/// Letter, margins 360 left, right and bottom, 720 top.
PageGeometry statementGeometry();

/// The statement's sections in print order, each control as designed.
std::vector<Section> statementDesign();

}  // namespace document
