#include "mailer/input/mod_brevix.h"

namespace input {

modBrevix& runValues()
{
    static modBrevix values;
    return values;
}

}  // namespace input
