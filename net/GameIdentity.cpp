#include "net/GameIdentity.h"

namespace game_identity
{

const platform::Guid& ApplicationGuid()
{
    static const platform::Guid guid = *platform::Guid::Parse(kApplicationGuidText);
    return guid;
}

} // namespace game_identity
