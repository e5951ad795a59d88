// Linked into every test program: before any test, the system's optional
// calls are looked up and the run's facts recorded, as the program's own
// start-up does first.
#include "app/run_facts.h"
#include "settings/system_calls.h"

namespace {

const bool Started = (InitDynCalls(), RecordRunFacts(), true);

}  // namespace
