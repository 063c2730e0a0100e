-- What the publisher reads for the public pages, as the league's owner, and no more than the
-- pages show. A set-returning function would gather a month of entries on the server before
-- the first row; the cursor streams them instead, in the order that keeps each site's rows
-- together.
CREATE OR REPLACE FUNCTION league.publish_league()
  RETURNS TABLE (league text, month date, made text)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT league.league_name(), date_trunc('month', league.utc_now())::date,
           to_char(league.utc_now(), 'YYYY-MM-DD"T"HH24:MI:SS"Z"')
  $f$;
-- Whether sites may still send scores of the month, by the rule the uploads follow.
CREATE OR REPLACE FUNCTION league.publish_open(p_month date) RETURNS boolean
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $f$
    SELECT league.month_open(p_month)
  $f$;
CREATE OR REPLACE FUNCTION league.publish_months()
  RETURNS TABLE (month date, player text, site text, loc text, score float8, open boolean)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    WITH RECURSIVE months(month) AS (
      SELECT max(e.month) FROM league.entries e
      UNION ALL
      SELECT (SELECT max(e.month) FROM league.entries e WHERE e.month < m.month)
      FROM months m WHERE m.month IS NOT NULL)
    SELECT m.month, top.player, top.site, s.loc, top.score, league.publish_open(m.month)
    FROM months m
    LEFT JOIN LATERAL (
      SELECT e.player, e.site, e.score FROM league.entries e
      WHERE e.month = m.month AND e.score > 0
        AND e.site NOT IN (SELECT s.name FROM league.sites s WHERE s.suspended)
      ORDER BY e.score DESC, e.site COLLATE "C", e.player COLLATE "C" LIMIT 1) top ON true
    LEFT JOIN league.sites s ON s.name = top.site
    WHERE m.month IS NOT NULL ORDER BY m.month DESC
  $f$;
-- The sites, with those that left the league, whose closed months stay.
CREATE OR REPLACE FUNCTION league.publish_sites()
  RETURNS TABLE (name text, loc text, in_league boolean)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT s.name, s.loc, s.role_name IS NOT NULL FROM league.sites s WHERE NOT s.suspended
    ORDER BY s.name COLLATE "C"
  $f$;
CREATE OR REPLACE FUNCTION league.publish_entries(p_month date, p_cursor refcursor)
  RETURNS refcursor
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
  BEGIN
    OPEN p_cursor NO SCROLL FOR
      SELECT e.site, e.player, e.score, e.last_date, e.plays,
             extract(epoch FROM e.updated)::bigint FROM league.entries e
      WHERE e.month = p_month AND e.score > 0
        AND e.site NOT IN (SELECT s.name FROM league.sites s WHERE s.suspended)
      ORDER BY e.site;
    RETURN p_cursor;
  END
  $f$;
