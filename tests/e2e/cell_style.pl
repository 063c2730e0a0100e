# Reads `tmux capture-pane -e -N -p` and prints the style of the cell at the given 1-based
# line and column: foreground and background as tmux writes them (97 44 is bright white on
# blue), and 1 for bold. The style runs on from line to line, as tmux writes it.
use strict;
use warnings;
binmode(STDIN, ':encoding(UTF-8)');
my ($row, $column) = @ARGV;
my ($fg, $bg, $bold) = ('39', '49', 0);
my $line = 0;
while (my $text = <STDIN>) {
  chomp $text;
  $line++;
  my $at = 0;
  while ($text =~ /\G(?:\e\[([0-9;]*)m|(.))/gs) {
    if (defined $1) {
      my @codes = split /;/, ($1 eq '' ? '0' : $1);
      while (@codes) {
        my $c = shift @codes;
        if ($c == 0) { ($fg, $bg, $bold) = ('39', '49', 0) }
        elsif ($c == 1) { $bold = 1 }
        elsif ($c == 22) { $bold = 0 }
        elsif ($c == 38 || $c == 48) {
          my $kind = shift @codes // '';
          my $value = $kind eq '5' ? '5;' . (shift @codes // '') : $kind;
          if ($c == 38) { $fg = "38;$value" } else { $bg = "48;$value" }
        }
        elsif (($c >= 30 && $c <= 37) || ($c >= 90 && $c <= 97) || $c == 39) { $fg = $c }
        elsif (($c >= 40 && $c <= 47) || ($c >= 100 && $c <= 107) || $c == 49) { $bg = $c }
      }
      next;
    }
    $at++;
    if ($line == $row && $at == $column) {
      print "$fg $bg", ($bold ? ' 1' : ''), "\n";
      exit 0;
    }
  }
}
print "none\n";
