#include "framework/app/DeveloperReports.h"
#include "framework/app/QuibAppBase.h"

namespace Quib {

SharedImageRef QuibAppBase::GetSharedImage(const std::string& name, const std::string& variant, bool* created)
{
    return sharedImages.GetSharedImage(name, variant, created);
}

void QuibAppBase::PurgeReleasedSharedImages()
{
    sharedImages.PurgeReleasedSharedImages();
}

bool QuibAppBase::DebugKey(int virtualKey)
{
    return developerTools.DebugKey(*this, virtualKey);
}

std::string QuibAppBase::BuildSystemReport()
{
    return Quib::BuildSystemReport(developerTools.Host());
}

} // namespace Quib
