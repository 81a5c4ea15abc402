#include "launcher/Apps.h"

namespace keyrelay {

Apps::Apps(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Start Apps"));
}

void Apps::StartEm() {}

}  // namespace keyrelay
