-- The league's own name, which init-league --name gives it; without one it goes by its
-- database's (league.league_name()).
ALTER TABLE league.about ADD COLUMN league_name text
  CONSTRAINT league_name_sound CHECK (octet_length(league_name) BETWEEN 1 AND @NAME_WIDTH@ AND league_name !~ '[^\x20-\x7e]'
         AND league_name !~ '^ | $');

-- What an entry may be is said once, by league.sound_entry(), which the table checks from
-- now on in place of these four that said it again.
ALTER TABLE league.entries
  DROP CONSTRAINT IF EXISTS entries_score_sound,
  DROP CONSTRAINT IF EXISTS entries_player_sound,
  DROP CONSTRAINT IF EXISTS entries_date_sound,
  DROP CONSTRAINT IF EXISTS entries_plays_sound;

-- An upload now keeps the sound entries and names the others: its answer changed.
DROP FUNCTION IF EXISTS league.upload(date, text[], float8[], text[], text[], text[]);
