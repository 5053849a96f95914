// Whether a step of the runner changes the machine, or, for the dry run,
// only checks through the same handles and says what it would do.
#ifndef VANTREL_UNATTENDED_MODE_H_
#define VANTREL_UNATTENDED_MODE_H_

namespace unattended {

enum class Mode { Apply, Check };

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_MODE_H_
