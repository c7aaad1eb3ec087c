// What both peer scripts share: the command line, the walk over the days,
// and the lines as `orvane calc` prints them ("2000-01-01 05:15 06:47 ...",
// +1 or -1 after a time that falls on the day after or before).
'use strict';

// node script.js LATITUDE LONGITUDE_EAST UTC_HOURS YYYY-MM-DD DAYS
function readArguments(argv) {
  const [latitude, longitude, zone, first, days] = argv.slice(2);
  const [y, m, d] = (first || '').split('-').map(Number);
  const args = {
    latitude: Number(latitude),
    longitude: Number(longitude),
    zoneHours: Number(zone),
    firstUtc: Date.UTC(y, m - 1, d),
    days: Number(days),
  };
  if (![args.latitude, args.longitude, args.zoneHours, args.firstUtc, args.days].every(Number.isFinite)) {
    process.stderr.write('usage: node ' + argv[1] + ' LATITUDE LONGITUDE_EAST UTC_HOURS YYYY-MM-DD DAYS\n');
    process.exit(2);
  }
  return args;
}

const pad2 = (n) => (n < 10 ? '0' : '') + n;

// A moment (milliseconds since 1970, or NaN) as HH:MM on the clock of the
// zone, against the line's date (its midnight in UTC milliseconds).
function clockText(ms, dayUtc, zoneMinutes) {
  if (!Number.isFinite(ms)) return ' --:--';
  const minutes = Math.round((ms - dayUtc) / 60000) + zoneMinutes;
  const day = Math.floor(minutes / 1440);
  const ofDay = minutes - day * 1440;
  return ' ' + pad2(Math.floor(ofDay / 60)) + ':' + pad2(ofDay % 60) + (day > 0 ? '+1' : day < 0 ? '-1' : '');
}

// Calls timesOf(year, month, day, dayUtc) for each day, which answers the
// six moments Fajr to Isha, and writes the lines in large pieces, as a
// program that prints a century should.
function printCentury(args, timesOf) {
  const zoneMinutes = Math.round(args.zoneHours * 60);
  let chunk = '';
  for (let i = 0; i < args.days; ++i) {
    const dayUtc = args.firstUtc + i * 86400000;
    const date = new Date(dayUtc);
    const y = date.getUTCFullYear(), m = date.getUTCMonth() + 1, d = date.getUTCDate();
    let line = y + '-' + pad2(m) + '-' + pad2(d);
    for (const ms of timesOf(y, m, d, dayUtc)) line += clockText(ms, dayUtc, zoneMinutes);
    chunk += line + '\n';
    if (chunk.length >= 65536) {
      process.stdout.write(chunk);
      chunk = '';
    }
  }
  process.stdout.write(chunk);
}

module.exports = { readArguments, printCentury };
