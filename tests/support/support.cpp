// Anchors the test-support library; the helpers themselves are header-only.
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"
