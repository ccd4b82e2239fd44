#include "player/object_contacts.h"

namespace vorn {

float VornObjectContacts::collide(VornActionObjectList& objects, int treeModel, int player, VornPlayer& body,
                                  const HitFn& onHit) {
  const int view = player & 1;
  Paths& path = paths_[view];
  const VornVector from = path.objectsValid ? path.objects : body.position();
  float awakeChange = 0.0f;
  for (const auto& object : objects) {
    if (object->modelIndex == treeModel) {
      if (object->collide(from, body, awakeChange, view) && onHit) onHit(player, body.speed);
    } else {
      object->updateVisibility(body.position(), view);
    }
  }
  path.objects = body.position();
  path.objectsValid = true;
  return awakeChange;
}

int VornObjectContacts::takeBeers(VornManageActionObject& beers, int player, const VornVector& position) {
  const int view = player & 1;
  if (view == 0) beers.spinAll();
  Paths& path = paths_[view];
  const VornVector from = path.beersValid ? path.beers : position;
  path.beers = position;
  path.beersValid = true;
  return beers.update(from, position, view);
}

void VornObjectContacts::forget() {
  for (Paths& p : paths_) p = Paths{};
}

}  // namespace vorn
