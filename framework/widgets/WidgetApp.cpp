#include "framework/widgets/WidgetApp.h"

namespace Quib {

namespace {
WidgetApp* gWidgetApp = nullptr;
}

WidgetApp* TheWidgetApp()
{
    return gWidgetApp;
}

void SetWidgetApp(WidgetApp* app)
{
    gWidgetApp = app;
}

} // namespace Quib
