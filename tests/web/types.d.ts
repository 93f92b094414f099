// The names the browser checks share, for TypeScript's checker (tsconfig.node.json): global, so
// that each file names them without importing them.
type Engine = import('./engines.mjs').Engine;
// Each check said, with what it saw, and whether it passed (engines.mjs's `finish`).
type Results = Array<[said: string, ok: boolean]>;
// A site on a host of site.mjs's: its address (`base`), folder, answers, and the host's controls.
type Served = Awaited<ReturnType<typeof import('./site.mjs').host>>;
// One row of the table of check.mjs: what it checks in an engine, saying each check in `results`.
type Scenario = (engine: Engine, served: Served, results: Results) => Promise<any>;
