#!/usr/bin/perl
# Prints the key tree of each registry file named, as Parse::Win32Registry reads it: "FILE path",
# then "K" and the key's path and "V" with each value's name, type and data, names and data in
# hex, so that every byte can be compared.
use strict;
use warnings;
use Parse::Win32Registry;

Parse::Win32Registry::set_codepage('iso-8859-1');
binmode(STDOUT);

sub hexOf { return unpack('H*', $_[0]); }

sub dumpKey {
    my ($key, $path) = @_;
    print "K $path\n";
    foreach my $value ($key->get_list_of_values) {
        print 'V ', hexOf($value->get_name), ' ', $value->get_type, ' ', hexOf($value->get_raw_data), "\n";
    }
    foreach my $subkey ($key->get_list_of_subkeys) {
        my $name = hexOf($subkey->get_name);
        dumpKey($subkey, $path eq '' ? $name : "$path\\$name");
    }
}

foreach my $file (@ARGV) {
    print "FILE $file\n";
    my $registry = Parse::Win32Registry->new($file);
    my $root = $registry ? $registry->get_root_key : undef;
    if (!defined $root) {
        print "UNREADABLE\n";
        next;
    }
    dumpKey($root, '');
}
