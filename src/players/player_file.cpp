#include "players/player_file.h"

#include "config/constants.h"
#include "platform/files.h"
#include "platform/spooled_file.h"

namespace lexfray {

namespace {

SpooledFile PlayerSpool(const std::string& folder, bool withoutLocks = false) {
  return SpooledFile({folder + std::string(kPlayerFileName), LargestPlayerFile()},
                     {{folder + std::string(kOwnersFileName), kMostOwnedNames * kLongestOwnerLine}},
                     withoutLocks);
}

std::string TooLarge(const std::string& folder) {
  return folder + std::string(kPlayerFileName) + " is too large: more than " +
         std::to_string(kMostPlayers) + " players";
}

// The files of a snapshot, before the pending changes; a partial record at the end of the
// player file is left out, and the next new record is written over it. players is taken
// over: a reader hands the snapshot's own bytes on rather than copy them.
std::optional<PlayerFileImage> ImageOf(FileVersion players, const FileVersion& owners,
                                       const std::string& folder, std::string* error) {
  if (players.cut || owners.cut) {
    if (error)
      *error = players.cut ? TooLarge(folder)
                           : folder + std::string(kOwnersFileName) + " is larger than the game makes it";
    return std::nullopt;
  }
  PlayerFileImage image;
  image.records = std::move(players.bytes);
  image.records.resize(image.records.size() - image.records.size() % PlayerRecord::kSize);
  image.owners = NameOwners(std::string(owners.bytes.begin(), owners.bytes.end()));
  return image;
}

void ApplyPending(const SpoolSnapshot& snapshot, PlayerFileImage& image) {
  for (const SpoolEntry& entry : snapshot.pending)
    if (std::optional<PlayerChange> change = DecodePlayerChange(entry.change))
      ApplyPlayerChange(*change, image);
}

// The new player file and owners, where they differ from what was read.
SpooledFile::Versions VersionsOf(PlayerFileImage image, const SpoolSnapshot& snapshot,
                                 const std::string& ownersBefore) {
  SpooledFile::Versions versions(2);
  versions[0] = SpooledFile::Changed(std::move(image.records), snapshot.files[0]);
  const std::string& owners = image.owners.Bytes();
  if (owners != ownersBefore) versions[1] = SpooledFile::Bytes(owners.begin(), owners.end());
  return versions;
}

std::string KeyOf(std::string_view comparable) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string key = "name-";
  for (char c : comparable) {
    key += kDigits[static_cast<unsigned char>(c) >> 4];
    key += kDigits[static_cast<unsigned char>(c) & 0x0F];
  }
  return key;
}

}  // namespace

std::size_t LargestPlayerFile() {
  return static_cast<std::size_t>(kMostPlayers + 1) * PlayerRecord::kSize - 1;
}

std::optional<PlayerFileView> ReadPlayerFile(const std::string& folder, std::string* error) {
  std::optional<SpoolSnapshot> snapshot = PlayerSpool(folder).Read(error);
  if (!snapshot) return std::nullopt;
  bool missing = snapshot->files[0].missing;
  std::optional<PlayerFileImage> image =
      ImageOf(std::move(snapshot->files[0]), snapshot->files[1], folder, error);
  if (!image) return std::nullopt;
  ApplyPending(*snapshot, *image);
  bool pending = !snapshot->pending.empty();
  return PlayerFileView{std::move(*image), snapshot->LastOrder(), pending, missing && !pending};
}

void CreatePlayerFile(const std::string& folder) {
  CreateIfMissing(folder + std::string(kPlayerFileName));
}

SaveResult SavePlayerChange(const PlayerFilePlace& place, Clock& clock,
                            const std::optional<PlayerChange>& own) {
  SpooledFile file = PlayerSpool(place.folder, place.withoutLocks);
  std::uint64_t lastOrder = 0;
  CommitResult committed = file.Commit(clock, [&](const SpoolSnapshot& snapshot, std::string* error)
                                                  -> std::optional<SpooledFile::Versions> {
    lastOrder = snapshot.LastOrder();
    std::optional<PlayerFileImage> image =
        ImageOf(snapshot.files[0], snapshot.files[1], place.folder, error);
    if (!image) return std::nullopt;
    std::string ownersBefore = image->owners.Bytes();
    ApplyPending(snapshot, *image);
    if (own) ApplyPlayerChange(*own, *image);
    return VersionsOf(std::move(*image), snapshot, ownersBefore);
  });
  switch (committed.outcome) {
    case CommitResult::kDone: return {};
    case CommitResult::kPending: return {SaveResult::kKept, committed.reason, {}};
    case CommitResult::kFailed: return {SaveResult::kFailed, committed.reason, {}};
    case CommitResult::kBusy: break;
  }
  std::string error;
  if (own && !file.Add(EncodePlayerChange(*own), lastOrder, &error))
    return {SaveResult::kFailed, committed.reason + "; " + error, {}};
  return {SaveResult::kKept, committed.reason, committed.holder};
}

namespace {

// An administrator's change, which waits for nobody's spool: done, or failed with the reason.
SaveResult DoneOrFailed(const CommitResult& committed) {
  switch (committed.outcome) {
    case CommitResult::kDone: return {};
    case CommitResult::kPending: return {SaveResult::kKept, committed.reason, {}};
    case CommitResult::kBusy:
    case CommitResult::kFailed: break;
  }
  return {SaveResult::kFailed, committed.reason, committed.holder};
}

}  // namespace

SaveResult FreeName(const PlayerFilePlace& place, Clock& clock, std::string_view comparable,
                    bool* freed) {
  SpooledFile file = PlayerSpool(place.folder, place.withoutLocks);
  return DoneOrFailed(file.Commit(clock, [&](const SpoolSnapshot& snapshot, std::string* error)
                                             -> std::optional<SpooledFile::Versions> {
    std::optional<PlayerFileImage> image =
        ImageOf(snapshot.files[0], snapshot.files[1], place.folder, error);
    if (!image) return std::nullopt;
    ApplyPending(snapshot, *image);
    *freed = image->owners.Remove(comparable);
    const std::vector<std::uint8_t>& owners = snapshot.files[1].bytes;
    return VersionsOf(std::move(*image), snapshot, std::string(owners.begin(), owners.end()));
  }));
}

SaveResult PutPlayerFile(const PlayerFilePlace& place, Clock& clock, std::string bytes) {
  SpooledFile file = PlayerSpool(place.folder, place.withoutLocks);
  return DoneOrFailed(file.Commit(clock, [&](const SpoolSnapshot&, std::string*) {
    SpooledFile::Versions versions(2);
    versions[0] = SpooledFile::Bytes(bytes.begin(), bytes.end());
    return std::optional<SpooledFile::Versions>(std::move(versions));
  }));
}

ClaimOutcome SpoolClaim(const PlayerFilePlace& place, const PlayerChange& change,
                        std::uint64_t after, std::string* error) {
  switch (PlayerSpool(place.folder).AddAs(KeyOf(change.Name()), EncodePlayerChange(change), after, error)) {
    case SpoolAdd::kAdded: return ClaimOutcome::kClaimed;
    case SpoolAdd::kTaken: return ClaimOutcome::kTaken;
    case SpoolAdd::kFailed: break;
  }
  return ClaimOutcome::kFailed;
}

void WithdrawClaim(const PlayerFilePlace& place, std::string_view comparable) {
  PlayerSpool(place.folder).Withdraw(KeyOf(comparable));
}

}  // namespace lexfray
