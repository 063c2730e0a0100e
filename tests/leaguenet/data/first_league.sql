-- A league as init-league set it up before sites called functions: tables the site roles
-- wrote themselves, under row-level security. @GROUP@ stands for the league's group role.
BEGIN;
CREATE ROLE @GROUP@ NOLOGIN;
CREATE SCHEMA IF NOT EXISTS league;
CREATE TABLE IF NOT EXISTS league.about (
  only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
  site_group name NOT NULL);
CREATE SEQUENCE IF NOT EXISTS league.site_numbers;
CREATE TABLE IF NOT EXISTS league.sites (
  name text PRIMARY KEY
    CHECK (octet_length(name) BETWEEN 1 AND 35 AND name !~ '[^\x20-\x7e]' AND name = upper(name)
           AND name !~ '^ | $'),
  loc text NOT NULL CHECK (octet_length(loc) = 3 AND loc !~ '[^\x20-\x7e]'),
  role_name name NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS league.entries (
  month date NOT NULL CHECK (extract(day FROM month) = 1),
  site text NOT NULL REFERENCES league.sites (name) ON DELETE CASCADE,
  player text NOT NULL CHECK (octet_length(player) BETWEEN 1 AND 25 AND player !~ '[^\x20-\x7e]'),
  score double precision NOT NULL CHECK (score >= 0 AND score <= 1e12),
  last_date text NOT NULL CHECK (last_date ~ '^[0-9][0-9]-[0-9][0-9]$'),
  plays text NOT NULL CHECK (octet_length(plays) <= 5 AND plays !~ '[^\x20-\x7e]'),
  game_code text NOT NULL CHECK (octet_length(game_code) <= 8 AND game_code !~ '[^\x20-\x7e]'),
  updated timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (month, site, player));
CREATE INDEX IF NOT EXISTS entries_by_score ON league.entries (month, score DESC);
ALTER TABLE league.entries ENABLE ROW LEVEL SECURITY;
INSERT INTO league.about (site_group) VALUES ('@GROUP@') ON CONFLICT DO NOTHING;
REVOKE ALL ON SCHEMA league FROM PUBLIC;
GRANT USAGE ON SCHEMA league TO @GROUP@;
GRANT SELECT ON league.sites TO @GROUP@;
GRANT SELECT, INSERT, UPDATE, DELETE ON league.entries TO @GROUP@;
CREATE POLICY everyone_reads ON league.entries FOR SELECT TO @GROUP@ USING (true);
CREATE POLICY own_inserts ON league.entries FOR INSERT TO @GROUP@
  WITH CHECK (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
CREATE POLICY own_updates ON league.entries FOR UPDATE TO @GROUP@
  USING (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user))
  WITH CHECK (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
CREATE POLICY own_deletes ON league.entries FOR DELETE TO @GROUP@
  USING (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
COMMIT;
