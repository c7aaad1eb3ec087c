// The century of `orvane calc` from the npm package praytime (Egypt method),
// for the whole-process comparison of bench_calc_century. Not run by any
// test; praytime is not a dependency of the build:
//   NODE_PATH=/path/to/node_modules node praytime-century.js 30.05 31.25 2 2000-01-01 36500
// The times are taken as timestamps and formatted here, as the adhan script
// does: praytime's own text goes through Intl for every time, which would
// only make it slower.
'use strict';
const { PrayTime } = require('praytime');
const { readArguments, printCentury } = require('./century-common.js');

const args = readArguments(process.argv);
const praytime = new PrayTime('Egypt');
praytime.location([args.latitude, args.longitude]).utcOffset(args.zoneHours).format('x');
printCentury(args, (y, m, d) => {
  const t = praytime.times([y, m, d]);
  return [t.fajr, t.sunrise, t.dhuhr, t.asr, t.maghrib, t.isha];
});
