-- What a site may do, all of it through these functions. Each runs as the league's owner with a
-- fixed search_path, and takes the site from the session's login role (session_user: inside
-- the function current_user is the owner), never from an argument.

-- The league's clock: UTC on the server.
CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp
  AS $f$ SELECT now() AT TIME ZONE 'UTC' $f$;

-- The league's name, as the sites and the publisher show it.
CREATE OR REPLACE FUNCTION league.league_name() RETURNS text
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
  SELECT coalesce((SELECT a.league_name FROM league.about a), current_database()::text)
$f$;

-- A site's month is its own local one: open is every month within a day of the server's date.
-- Plain SQL, so that a query that asks it takes it in.
CREATE OR REPLACE FUNCTION league.month_open(p_month date) RETURNS boolean
  LANGUAGE sql STABLE AS $f$
  SELECT coalesce(p_month = date_trunc('month', p_month)
    AND p_month >= date_trunc('month', league.utc_now() - interval '1 day')
    AND p_month <= date_trunc('month', league.utc_now() + interval '1 day'), false)
$f$;

CREATE OR REPLACE FUNCTION league.check_month(p_month date) RETURNS void
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
BEGIN
  IF NOT league.month_open(p_month) THEN
    RAISE EXCEPTION 'the month % is not open: the league''s date is % UTC',
      coalesce(to_char(p_month, 'YYYY-MM'), 'given'), to_char(league.utc_now(), 'YYYY-MM-DD HH24:MI')
      USING ERRCODE = 'invalid_parameter_value';
  END IF;
END $f$;

-- The site of the session's login role, unless it is suspended.
CREATE OR REPLACE FUNCTION league.site_of_session() RETURNS league.sites
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites;
BEGIN
  SELECT * INTO v_site FROM league.sites s WHERE s.role_name = session_user AND NOT s.suspended;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'these credentials are not a site of the league'
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  RETURN v_site;
END $f$;

-- The calling site as the league has it on record, and the league's date.
CREATE OR REPLACE FUNCTION league.calling_site(OUT name text, OUT loc text, OUT today date)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites := league.site_of_session();
BEGIN
  name := v_site.name;
  loc := v_site.loc;
  today := league.utc_now()::date;
END $f$;

-- The rule of what an entry of the game is, in that month, stated here alone: uploads keep
-- what it takes, the table checks it for anything that reaches it another way, and the
-- exchange sends its site's entries as the score file holds them and leaves the judging here.
-- Plain SQL without settings of its own, so that an upload takes it into its query rather
-- than calling it for each entry; its callers fix the search_path.
CREATE OR REPLACE FUNCTION league.sound_entry(p_month date, p_player text, p_score float8,
    p_last_date text, p_plays text, p_game_code text) RETURNS boolean
  LANGUAGE sql IMMUTABLE AS $f$
  SELECT coalesce(
    -- a name as the game keeps it: printable, not blank, no blank at its end, in full
    octet_length(p_player) <= @PLAYER_WIDTH@ AND p_player ~ '^[\x20-\x7e]*[\x21-\x7e]$'
    -- a whole number of points that a player can reach in a month; not -0
    AND p_score BETWEEN 0 AND @MOST_SCORE@ AND p_score = trunc(p_score)
    AND get_byte(float8send(p_score), 0) < 128
    -- a day of the month's own month, as MM-DD
    AND p_last_date ~ '^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'
    AND substr(p_last_date, 1, 2) = lpad(extract(month FROM p_month)::int::text, 2, '0')
    -- the month's games, and no more points than they can bring
    AND p_score <= @MOST_GAME_SCORE@::float8
                   * CASE WHEN p_plays ~ '^[0-9]{1,@PLAYS_WIDTH@}$' THEN p_plays::int END
    AND p_game_code ~ '^[\x20-\x7e]{0,@GAME_CODE_WIDTH@}$', false)
$f$;
-- Rows that an earlier rule let in stay: the check is NOT VALID, for new rows only.
ALTER TABLE league.entries DROP CONSTRAINT IF EXISTS entries_sound,
  ADD CONSTRAINT entries_sound
    CHECK (league.sound_entry(month, player, score, last_date, plays, game_code)) NOT VALID;

-- The month's best entries of the sites not suspended, best first, without one site's
-- (p_leave_out, or none when NULL). Plain SQL, taken into the query of its caller.
CREATE OR REPLACE FUNCTION league.best_entries(p_month date, p_limit integer, p_leave_out text)
  RETURNS TABLE (site text, loc text, player text, score float8, last_date text, plays text,
                 game_code text)
  LANGUAGE sql STABLE AS $f$
  SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code
  FROM league.entries e JOIN league.sites s ON s.name = e.site
  WHERE e.month = p_month AND e.score BETWEEN 0 AND @MOST_SCORE@
    AND e.site IS DISTINCT FROM p_leave_out AND NOT s.suspended
  ORDER BY e.score DESC, e.site, e.player
  LIMIT least(greatest(coalesce(p_limit, 0), 0), @MOST_ROWS@)
$f$;

-- A site's exchange, in one call: this site's entries of its month go up, each sound one
-- added or replacing the site's entry of that player, and the best entries of the other sites
-- come back. The first row holds the positions (from 1) of the entries left out as no entry
-- of the game, and no entry; the rows after it are the standings. Nothing is stored when the
-- upload itself is wrong: another month, a player twice, more than the game's number of
-- players.
CREATE OR REPLACE FUNCTION league.exchange(p_month date, p_players text[], p_scores float8[],
    p_last_dates text[], p_plays text[], p_game_codes text[], p_others integer)
  RETURNS TABLE (refused integer[], site text, loc text, player text, score float8,
                 last_date text, plays text, game_code text)
  LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
#variable_conflict use_column
DECLARE
  v_site text := (league.site_of_session()).name;
  v_count integer := coalesce(cardinality(p_players), 0);
  v_held bigint;
BEGIN
  PERFORM league.check_month(p_month);
  IF v_count > @MOST_ENTRIES@ THEN
    RAISE EXCEPTION 'at most @MOST_ENTRIES@ entries of a site a month, not %', v_count
      USING ERRCODE = 'program_limit_exceeded';
  END IF;
  IF coalesce(cardinality(p_scores), 0) <> v_count
     OR coalesce(cardinality(p_last_dates), 0) <> v_count
     OR coalesce(cardinality(p_plays), 0) <> v_count
     OR coalesce(cardinality(p_game_codes), 0) <> v_count THEN
    RAISE EXCEPTION 'the entries'' columns differ in length' USING ERRCODE = 'invalid_parameter_value';
  END IF;
  IF (SELECT count(DISTINCT p) FROM unnest(p_players) p) <> v_count THEN
    RAISE EXCEPTION 'a player is sent twice' USING ERRCODE = 'unique_violation';
  END IF;
  refused := ARRAY(
    SELECT u.n
    FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes) WITH ORDINALITY
      AS u(player, score, last_date, plays, game_code, n)
    WHERE NOT league.sound_entry(p_month, u.player, u.score, u.last_date, u.plays, u.game_code)
    ORDER BY u.n);
  IF v_count > 0 THEN
    -- The site's row changes first: a second upload of the site waits for this one, and one
    -- in a snapshot taken before this one commits fails, so the count below holds.
    UPDATE league.sites s SET uploads = s.uploads + 1 WHERE s.name = v_site;
    INSERT INTO league.entries AS e (month, site, player, score, last_date, plays, game_code,
                                     updated)
      SELECT p_month, v_site, u.player, u.score, u.last_date, u.plays, u.game_code, now()
      FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes) WITH ORDINALITY
        AS u(player, score, last_date, plays, game_code, n)
      WHERE u.n <> ALL (refused)
    ON CONFLICT ON CONSTRAINT entries_pkey DO UPDATE
      SET score = EXCLUDED.score, last_date = EXCLUDED.last_date, plays = EXCLUDED.plays,
          game_code = EXCLUDED.game_code, updated = EXCLUDED.updated
      WHERE (e.score, e.last_date, e.plays, e.game_code)
            IS DISTINCT FROM (EXCLUDED.score, EXCLUDED.last_date, EXCLUDED.plays, EXCLUDED.game_code);
    -- One score-file entry is one entry of the league, whatever name it went up under: the
    -- entry's own (as long as the score file holds it), or its one player's in full. The
    -- entries of the site's players of the month found by a name that went up now, under
    -- another, go.
    -- Both lists are hashed: a site's 5,000 against its 5,000.
    DELETE FROM league.entries e
    WHERE e.month = p_month AND e.site = v_site
      AND upper(rtrim(left(e.player, @ENTRY_NAME_WIDTH@), ' ')) IN (
        SELECT upper(rtrim(left(u.player, @ENTRY_NAME_WIDTH@), ' '))
        FROM unnest(p_players) WITH ORDINALITY AS u(player, n) WHERE u.n <> ALL (refused))
      AND e.player NOT IN (SELECT p FROM unnest(p_players) AS p);
    SELECT count(*) INTO v_held FROM league.entries e WHERE e.month = p_month AND e.site = v_site;
    IF v_held > @MOST_ENTRIES@ THEN
      RAISE EXCEPTION 'at most @MOST_ENTRIES@ entries of a site a month: this upload would leave %',
        v_held USING ERRCODE = 'program_limit_exceeded';
    END IF;
  END IF;
  RETURN NEXT;
  refused := NULL;
  RETURN QUERY SELECT NULL::integer[], b.* FROM league.best_entries(p_month, p_others, v_site) b;
END $f$;

-- The upload alone, as leaguenet called it before the exchange was one call: the positions
-- of the entries left out.
CREATE OR REPLACE FUNCTION league.upload(p_month date, p_players text[], p_scores float8[],
    p_last_dates text[], p_plays text[], p_game_codes text[]) RETURNS integer[]
  LANGUAGE sql VOLATILE SET search_path = pg_catalog, pg_temp AS $f$
  SELECT x.refused FROM league.exchange(p_month, p_players, p_scores, p_last_dates, p_plays,
                                        p_game_codes, 0) x LIMIT 1
$f$;

-- The month's best entries, of every site or of the other sites only, best first.
CREATE OR REPLACE FUNCTION league.standings(p_month date, p_limit integer, p_others_only boolean)
  RETURNS TABLE (site text, loc text, player text, score float8, last_date text, plays text,
                 game_code text)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site text := (league.site_of_session()).name;
BEGIN
  PERFORM league.check_month(p_month);
  RETURN QUERY SELECT * FROM league.best_entries(p_month, p_limit,
                                                 CASE WHEN p_others_only THEN v_site END);
END $f$;
