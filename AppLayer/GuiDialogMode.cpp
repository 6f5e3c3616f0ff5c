#include "AppLayer/GuiDialogMode.h"

#include "AppLayer/FileTimeJob.h"
#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiProfile.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/RawPhaseClock.h"

namespace AppLayer {

int RunDialogMode(FileTimeJob& job, bool sourceUnreadable) {
    GuiMainDialog dialog(GuiProfileRecord(), job.configProfile);
    dialog.SetSettings(&job.settings);
    dialog.StartUp();
    KAIRODEX_PHASE("texts looked up, laid out");
    if (!dialog.Show()) return kExitDone;
    if (sourceUnreadable) dialog.WarnSourceUnreadable(job.sourcePath);
    dialog.RunMessageLoop();
    KAIRODEX_PHASE("message loop ended");
    return kExitDone;
}

}  // namespace AppLayer
