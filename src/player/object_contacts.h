// VornObjectContacts: a race's object tests for up to two players — the trees hit along the path
// each player travelled since its last test, the scenery's visibility, the bottles taken on the
// way. Units: world units. Cost: the objects' own tests (action_object.h), once a player a frame.
#pragma once

#include <functional>

#include "player/action_object.h"
#include "player/player.h"

namespace vorn {

class VornObjectContacts {
 public:
  // Told of each tree hit (player 0 or 1, the speed after the hit).
  using HitFn = std::function<void(int player, float speed)>;

  // Trees (objects of `treeModel`) are collided with along the path from
  // where the player's last test ended; every other object only gets its
  // visibility for the player's view. Returns the awake change.
  float collide(VornActionObjectList& objects, int treeModel, int player, VornPlayer& body,
                const HitFn& onHit = {});
  // Bottles taken along the same kind of path; the bottles turn once a
  // frame, with player 0's test. Returns how many were taken.
  int takeBeers(VornManageActionObject& beers, int player, const VornVector& position);
  // The players moved without travelling (race start, restart): the next
  // tests start their paths where the players stand.
  void forget();

 private:
  struct Paths {
    VornVector objects;
    VornVector beers;
    bool objectsValid = false;
    bool beersValid = false;
  };
  Paths paths_[2];
};

}  // namespace vorn
