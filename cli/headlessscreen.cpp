#include "cli/headlessscreen.h"

void HeadlessScreen::setStatusPanel(int panel, const std::string& text)
{
    if (panel >= 0 && panel < 4)
        m_panels[panel] = text;
}
