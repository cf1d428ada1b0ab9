#include "QuorvelPlatform/bluetooth/le_advertisement.hpp"

namespace quorvel::bluetooth {

void LEAdvertisement::Release() {
    if (released_) {
        released_();
    }
}

}  // namespace quorvel::bluetooth

#include "moc_le_advertisement.cpp"
